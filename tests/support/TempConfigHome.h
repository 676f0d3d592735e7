// A private home and configuration folder for one test, so registry keys land in a fresh
// temporary folder and never in the user's own settings. The data folder's variable is put
// back as it was, whatever the test sets it to.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include <gtest/gtest.h>

class TempConfigHome {
  public:
    TempConfigHome() {
        std::string pattern = ::testing::TempDir() + "zelvocam-reg-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            ADD_FAILURE() << "mkdtemp failed";
        root_ = pattern;
        Remember("XDG_CONFIG_HOME", xdg_);
        Remember("HOME", home_);
        Remember("XDG_DATA_HOME", data_);
        ::setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
        ::setenv("HOME", (root_ / "home").c_str(), 1);
    }
    ~TempConfigHome() {
        Restore("XDG_CONFIG_HOME", xdg_);
        Restore("HOME", home_);
        Restore("XDG_DATA_HOME", data_);
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    TempConfigHome(const TempConfigHome&) = delete;
    TempConfigHome& operator=(const TempConfigHome&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    std::filesystem::path Home() const { return root_ / "home"; }
    std::filesystem::path RegistryFolder() const { return root_ / "config/zelvocam/registry"; }
    std::filesystem::path StationKeyFile() const {
        return RegistryFolder() / "Software/ZelvoCam USB.reg";
    }

    static std::string ReadFile(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void WriteFile(const std::filesystem::path& p, std::string_view contents) {
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary)
            .write(contents.data(), static_cast<std::streamsize>(contents.size()));
    }

  private:
    static void Remember(const char* name, std::optional<std::string>& slot) {
        if (const char* v = std::getenv(name))
            slot = v;
    }
    static void Restore(const char* name, const std::optional<std::string>& slot) {
        if (slot) {
            ::setenv(name, slot->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }

    std::filesystem::path root_;
    std::optional<std::string> xdg_;
    std::optional<std::string> home_;
    std::optional<std::string> data_;
};
