// Which of the files something was loaded from have changed since: per name the stamp
// last seen, compared with the current one on each check. A difference is reported
// once and remembered at once, so a file whose reload fails is neither retried nor
// reported again until it changes again.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "fs/FileSystem.h"

namespace arvel {

class FileWatch {
public:
    // Watches name from stamp on (the stamp it had when it was read). A name already
    // watched keeps the stamp it has: a change not yet checked is not lost. True when
    // the name is new.
    bool watch(const std::string& name, const FileStamp& stamp);
    bool watching(const std::string& name) const;
    std::size_t size() const { return files_.size(); }
    void clear();

    // The names, in the order first watched, whose stamp(name) differs from the one
    // remembered; each now remembers the new one. One call of stamp per name and no
    // allocation when nothing changed. The list stays valid until the next check.
    template <typename Stamp>
    const std::vector<std::string>& check(Stamp&& stamp) {
        changed_.clear();
        for (File& file : files_) {
            const FileStamp now = stamp(file.name.c_str());
            if (now == file.stamp) continue;
            file.stamp = now;
            changed_.push_back(file.name);
        }
        return changed_;
    }

private:
    struct File {
        std::string name;
        FileStamp stamp;
    };
    std::vector<File> files_;
    std::unordered_map<std::string, std::size_t> index_;  // name to place in files_
    std::vector<std::string> changed_;
};

}  // namespace arvel
