#include "settings/settings_store.h"

#include "vocabulary/vocabulary.h"

#include <QSettings>

namespace sorvane::settings {
namespace {

QString address(const QString& section, const QString& key) { return section + QLatin1Char('/') + key; }

}  // namespace

SettingsStore SettingsStore::forCurrentUser() {
  return SettingsStore(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                   QString::fromLatin1(kApplicationTitle),
                                                   QString::fromLatin1(kApplicationTitle)));
}

SettingsStore SettingsStore::atFile(const QString& path) {
  return SettingsStore(std::make_unique<QSettings>(path, QSettings::IniFormat));
}

SettingsStore::SettingsStore(std::unique_ptr<QSettings> settings) : settings_(std::move(settings)) {}
SettingsStore::SettingsStore(SettingsStore&&) noexcept = default;
SettingsStore& SettingsStore::operator=(SettingsStore&&) noexcept = default;
SettingsStore::~SettingsStore() = default;

QString SettingsStore::GetSetting(const QString& section, const QString& key, const QString& defaultValue) const {
  const QVariant value = settings_->value(address(section, key));
  return value.isValid() ? value.toString() : defaultValue;
}

void SettingsStore::SaveSetting(const QString& section, const QString& key, const QString& value) {
  settings_->setValue(address(section, key), value);
}

void SettingsStore::DeleteSetting(const QString& section, const QString& key) { settings_->remove(address(section, key)); }

bool SettingsStore::contains(const QString& section, const QString& key) const {
  return settings_->contains(address(section, key));
}

bool SettingsStore::sync() {
  settings_->sync();
  return settings_->status() == QSettings::NoError;
}

QString SettingsStore::location() const { return settings_->fileName(); }

}  // namespace sorvane::settings
