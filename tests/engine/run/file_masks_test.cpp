#include "engine/run/file_masks.h"
#include "engine/run/file_types.h"

#include <gtest/gtest.h>

#include <tuple>

namespace sorvane::testing {
namespace {

// Each row: the mask text, the names it takes, those it leaves out; a name ending in "/" is a
// folder the walk enters or not.
TEST(FileMasks, TakeTheFilesAndEnterTheFoldersTheyName) {
  for (const auto& [text, taken, leftOut] : std::vector<std::tuple<std::string, std::vector<std::string>,
                                                                   std::vector<std::string>>>{
           {"", {"a.cpp", "noext", "build/"}, {}},
           {" *.cpp ;*.H; ", {"a.cpp", "B.CPP", "x.h", "src/"}, {"a.cpp.bak", "a.c", "noext"}},
           {"*.js; !*.min.js", {"app.js", "min.js"}, {"app.min.js", "APP.MIN.JS", "app.css"}},
           {"!*.log", {"a.txt", "noext", "logs/"}, {"a.log", "A.LOG"}},
           {"*.*", {"noext", "a.b.c", ".hidden"}, {}},
           {"?.txt; !node_modules/; build/", {"a.txt", "builds/"},
            {"ab.txt", "node_modules/", "NODE_MODULES/", "Build/"}},
           {"!d1*/", {"d10.txt", "d1", "d2/", "e1/"}, {"d1/", "D10/"}},
       }) {
    const auto parsed = FileMasks::parse(text);
    ASSERT_TRUE(std::holds_alternative<FileMasks>(parsed)) << text;
    const FileMasks& masks = std::get<FileMasks>(parsed);
    const auto takes = [&](const std::string& name) {
      return name.ends_with('/') ? masks.entersFolder(name.substr(0, name.size() - 1)) : masks.takesFile(name);
    };
    for (const std::string& name : taken) EXPECT_TRUE(takes(name)) << text << " takes " << name;
    for (const std::string& name : leftOut) EXPECT_FALSE(takes(name)) << text << " leaves out " << name;
  }
  // The designed types keep their patterns: a typed mask text is none of their captions.
  for (const auto& [caption, pattern] : std::vector<std::pair<std::string, std::string>>{
           {"All Files (*.*)", "*.*"}, {"HTML Files (*.htm, *.html)", "*.htm*"},
           {"JavaScript Files (*.js)", "*.js"}, {"Text Files (*.txt)", "*.txt"}, {"*.txt", ""}})
    EXPECT_EQ(patternForFileType(caption), pattern);
}

TEST(FileMasks, AMaskThatCannotBeUsedIsNamedWithWhy) {
  for (const auto& [text, mask, message] : std::vector<std::tuple<std::string, std::string, std::string>>{
           {"*.cpp;; *.h", "", "The file masks cannot be used: there is an empty mask between two \";\"."},
           {"*.cpp; ! ", "!", "The file mask \"!\" cannot be used: \"!\" needs a name after it."},
           {"!/", "!/", "The file mask \"!/\" cannot be used: \"/\" needs a folder name before it."},
           {"src/*.cpp", "src/*.cpp", "The file mask \"src/*.cpp\" cannot be used: \"/\" may only end a mask."},
           {"!a//", "!a//", "The file mask \"!a//\" cannot be used: \"/\" may only end a mask."},
       }) {
    const auto parsed = FileMasks::parse(text);
    ASSERT_TRUE(std::holds_alternative<MaskFault>(parsed)) << text;
    EXPECT_EQ(std::get<MaskFault>(parsed).mask, mask);
    EXPECT_EQ(std::get<MaskFault>(parsed).message(), message);
  }
}

}  // namespace
}  // namespace sorvane::testing
