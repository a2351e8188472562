#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace nimbel::testing {

// Sets an environment variable for the lifetime of the object and restores the old value after.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

inline std::string MakeTemporaryFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "nimbel-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
  return pattern + '/';
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  ASSERT_TRUE(out.good()) << path;
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A private user data folder ($XDG_DATA_HOME) and factory data folder (NIMBEL_DEFAULT_DATA) per test.
class DataFoldersTest : public ::testing::Test {
 protected:
  DataFoldersTest()
      : root_(MakeTemporaryFolder()),
        dataHome_(root_ + "data"),
        factoryFolder_(root_ + "factory/"),
        xdg_("XDG_DATA_HOME", dataHome_),
        factory_("NIMBEL_DEFAULT_DATA", factoryFolder_) {
    std::filesystem::create_directories(factoryFolder_);
  }
  ~DataFoldersTest() override { std::filesystem::remove_all(root_); }

  const std::string& Root() const { return root_; }
  const std::string& DataHome() const { return dataHome_; }
  const std::string& FactoryFolder() const { return factoryFolder_; }

 private:
  std::string root_;
  std::string dataHome_;
  std::string factoryFolder_;
  ScopedEnv xdg_;
  ScopedEnv factory_;
};

}  // namespace nimbel::testing
