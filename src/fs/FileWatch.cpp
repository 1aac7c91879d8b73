#include "fs/FileWatch.h"

namespace arvel {

bool FileWatch::watch(const std::string& name, const FileStamp& stamp) {
    if (!index_.emplace(name, files_.size()).second) return false;
    files_.push_back({name, stamp});
    return true;
}

bool FileWatch::watching(const std::string& name) const { return index_.count(name) != 0; }

void FileWatch::clear() {
    files_.clear();
    index_.clear();
    changed_.clear();
}

}  // namespace arvel
