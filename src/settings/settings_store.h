#pragma once

#include <QString>
#include <memory>

class QSettings;

namespace sorvane::settings {

// The per-user settings store: text values by section and key. Reads never fail for want of a
// key, deleting an absent key changes nothing, and every value comes back exactly as written.
class SettingsStore {
 public:
  // The user's own store: Sorvane/Sorvane.conf under $XDG_CONFIG_HOME (else ~/.config).
  static SettingsStore forCurrentUser();
  // A store kept in one file, for tests and tools.
  static SettingsStore atFile(const QString& path);

  SettingsStore(SettingsStore&&) noexcept;
  SettingsStore& operator=(SettingsStore&&) noexcept;
  ~SettingsStore();

  QString GetSetting(const QString& section, const QString& key, const QString& defaultValue) const;
  void SaveSetting(const QString& section, const QString& key, const QString& value);
  void DeleteSetting(const QString& section, const QString& key);
  bool contains(const QString& section, const QString& key) const;

  // Writes everything to disk; false when the store could not be written.
  bool sync();
  QString location() const;

 private:
  explicit SettingsStore(std::unique_ptr<QSettings> settings);
  std::unique_ptr<QSettings> settings_;
};

}  // namespace sorvane::settings
