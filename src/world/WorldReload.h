// What World::reloadChanged() did. Files are named as the engine reads them; a file
// is listed once, under failed when anything read from it kept its previous version.
#pragma once

#include <string>
#include <vector>

namespace arvel {

struct ReloadResult {
    std::vector<std::string> reloaded;
    std::vector<std::string> failed;
    // A loaded map's or dynamic mesh's file changed: those come back only with the
    // level, which the caller reloads.
    bool levelChanged = false;

    bool nothingChanged() const { return reloaded.empty() && failed.empty() && !levelChanged; }
};

}  // namespace arvel
