// SPDX-License-Identifier: GPL-3.0-or-later
// A throw-away /sys and /dev pair in a temporary directory.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace halvoric::test {

class FakeSysfs {
 public:
  FakeSysfs() {
    std::string pattern = (std::filesystem::temp_directory_path() / "halvoric-XXXXXX").string();
    root_ = mkdtemp(pattern.data());
    std::filesystem::create_directories(Sys() / "block");
    std::filesystem::create_directories(Dev());
  }
  ~FakeSysfs() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  FakeSysfs(const FakeSysfs&) = delete;
  FakeSysfs& operator=(const FakeSysfs&) = delete;

  std::filesystem::path Root() const { return root_; }
  std::filesystem::path Sys() const { return root_ / "sys"; }
  std::filesystem::path Dev() const { return root_ / "dev"; }

  // A disk the kernel lists; `withNode` also creates its device node.
  void AddDisk(const std::string& name, bool withNode = true) const {
    std::filesystem::create_directory(Sys() / "block" / name);
    if (withNode) std::ofstream(Dev() / name) << "";
  }

 private:
  std::filesystem::path root_;
};

}  // namespace halvoric::test
