// A fresh temporary working folder for one test: made and entered on
// construction; on destruction the old folder is entered again and the
// scratch one removed, write bits restored first (tests make folders
// read-only).
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

class ScratchDir {
 public:
  // copyData: also copy the repository's data/ into it, for runs of the whole game.
  explicit ScratchDir(const std::string& prefix, bool copyData = false) {
    namespace fs = std::filesystem;
    old_ = fs::current_path();
    std::string tmpl = "/tmp/" + prefix + "-XXXXXX";
    if (!mkdtemp(tmpl.data())) return;
    path_ = tmpl;
    std::error_code ec;
    if (copyData) fs::copy(fs::path(SOURCE_DIR) / "data", path_ / "data", fs::copy_options::recursive, ec);
    if (!ec) fs::current_path(path_, ec);
    if (ec) path_.clear();
  }
  ~ScratchDir() {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::current_path(old_, ec);
    if (path_.empty()) return;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  bool Ok() const { return !path_.empty(); }
  std::string Path() const { return path_.string(); }

 private:
  std::filesystem::path old_, path_;
};
