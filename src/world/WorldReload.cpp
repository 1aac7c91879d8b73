// Reloading what the world shares by file name while the game runs. A check stats
// every watched file; only a changed one costs more. Contents are swapped into the
// existing objects, so materials and passes keep their pointers, and whatever does not
// load again keeps its previous version and is reported once, without a box.
#include "world/WorldReload.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/ErrorReport.h"
#include "core/Exception.h"
#include "fs/FileSystem.h"
#include "fs/FileWatch.h"
#include "render/Pass.h"
#include "render/PixelShader.h"
#include "render/RenderTechnique.h"
#include "render/ResourceRegistry.h"
#include "render/Texture.h"
#include "render/VertexProgram.h"
#include "world/DynamicMesh.h"
#include "world/Map.h"
#include "world/World.h"

namespace arvel {

namespace {

// The plug-in writes a shader's compiler log here, and nowhere the engine can ask.
constexpr const char* kLogFile = "dump.dmp";
constexpr long kMaxQuotedLog = 16384;

long logSize() {
    struct stat status;
    return ::stat(kLogFile, &status) == 0 ? static_cast<long>(status.st_size) : 0;
}

// What was appended to the log since it had offset bytes (at most kMaxQuotedLog).
std::string logSince(long offset) {
    std::string text;
    FILE* log = fopen(kLogFile, "rb");
    if (!log) return text;
    if (fseek(log, offset, SEEK_SET) == 0) {
        text.resize(kMaxQuotedLog);
        text.resize(fread(text.data(), 1, text.size(), log));
    }
    fclose(log);
    return text;
}

// While it lives, boxes are quiet and their texts are collected here instead of going
// to the listener, which is put back afterwards: a failed reload then says everything
// in one message.
class CollectedReports {
public:
    CollectedReports() : previous_(GetReportListener()) {
        texts().clear();
        SetReportListener(&collect);
    }
    ~CollectedReports() { SetReportListener(previous_); }
    CollectedReports(const CollectedReports&) = delete;
    CollectedReports& operator=(const CollectedReports&) = delete;

    static std::string& texts() {
        static std::string collected;
        return collected;
    }

private:
    static void collect(const char* text) {
        // A fatal box's warning about the system's state is wrong for a reload.
        constexpr const char* kMessageStart = "Error message:\n";
        if (const char* message = strstr(text, kMessageStart))
            text = message + strlen(kMessageStart);
        std::string& all = texts();
        all += text;
        if (!all.empty() && all.back() != '\n') all += '\n';
    }

    QuietBoxes quiet_;
    ReportListener previous_;
};

template <typename Visit>
void forEachProgramOf(const RenderTechnique& technique, Visit visit) {
    for (const PassList* stage :
         {&technique.ambientPasses(), &technique.lightPasses(), &technique.postShadePasses()}) {
        for (const Pass* pass : *stage) {
            if (pass->vertexProgram) visit(*pass->vertexProgram);
            if (pass->pixelShader) visit(*pass->pixelShader);
        }
    }
}

template <typename Visit>
void forEachTextureOf(const RenderTechnique& technique, Visit visit) {
    for (const PassList* stage :
         {&technique.ambientPasses(), &technique.lightPasses(), &technique.postShadePasses()}) {
        for (const Pass* pass : *stage)
            for (const Texture* texture : pass->textures)
                if (texture) visit(*texture);
    }
}

// A technique without registries owns its programs and textures: their files are its
// files too, and compiling it again is how they come back.
template <typename Visit>
void forEachFileOf(const RenderTechnique& technique, Visit visit) {
    for (const LoadedFile& file : technique.loadedFiles()) visit(file);
    auto owned = [&](const Resource& resource) {
        for (const LoadedFile& file : resource.loadedFiles()) visit(file);
    };
    if (!technique.programRegistry()) forEachProgramOf(technique, owned);
    if (!technique.textureRegistry()) forEachTextureOf(technique, owned);
}

}  // namespace

class ReloadState {
public:
    ReloadState(World& world, RenderTechnique* const* defaults, int defaultCount)
        : world_(world), defaults_(defaults, defaults + defaultCount) {
        for (RenderTechnique* technique : defaults_) watchFilesOf(*technique);
    }

    ReloadResult check();

    void watchExternal(RenderTechnique* technique) {
        if (!technique) return;
        for (RenderTechnique* known : external_)
            if (known == technique) return;
        external_.push_back(technique);
        watchFilesOf(*technique);
    }

    void unwatchExternal(RenderTechnique* technique) {
        for (size_t i = 0; i < external_.size(); ++i) {
            if (external_[i] != technique) continue;
            external_.erase(external_.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }

private:
    void discover();
    void watchFilesOf(const RenderTechnique& technique) {
        forEachFileOf(technique,
                      [&](const LoadedFile& file) { files_.watch(file.name, file.stamp); });
    }
    void watchFilesOf(const Resource& resource) {
        for (const LoadedFile& file : resource.loadedFiles()) files_.watch(file.name, file.stamp);
    }
    // Maps and dynamic meshes are stamped when first seen: the level reloads them.
    void watchLevelFile(const std::string& name) {
        if (!files_.watching(name)) files_.watch(name, fileSystem().stamp(name.c_str()));
        levelFiles_.insert(name);
    }

    bool changed(const std::string& name) const {
        for (const std::string* file : changed_)
            if (*file == name) return true;
        return false;
    }
    bool changed(const Resource& resource) const {
        for (const LoadedFile& file : resource.loadedFiles())
            if (changed(file.name)) return true;
        return false;
    }
    bool changed(const RenderTechnique& technique) const {
        bool any = false;
        forEachFileOf(technique, [&](const LoadedFile& file) { any = any || changed(file.name); });
        return any;
    }

    // The files a message about the resource names: those of its files that changed.
    void nameFiles(const Resource& resource);
    // Runs reload and reports a failure (or what a success said), naming kind and the
    // files nameFiles chose; true when it reloaded. quoteLog adds what the driver
    // logged meanwhile (a compiler's log).
    template <typename Reload>
    bool attempt(const char* kind, bool quoteLog, Reload reload);
    void reloadTechnique(RenderTechnique& technique, const std::vector<Resource*>& rebuilt);

    World& world_;
    std::vector<RenderTechnique*> defaults_;
    std::vector<RenderTechnique*> external_;
    FileWatch files_;

    // The registries' lists as of their change counts.
    uint64_t textureChanges_ = UINT64_MAX;
    uint64_t programChanges_ = UINT64_MAX;
    uint64_t meshChanges_ = UINT64_MAX;
    std::vector<Resource*> listed_;
    std::vector<Texture*> textures_;
    std::vector<Resource*> programs_;  // vertex programs and pixel shaders
    std::vector<RenderTechnique*> techniques_;
    // By name: a map loaded in place of another may get the old one's address.
    std::vector<std::string> maps_;
    std::unordered_set<std::string> levelFiles_;

    // One check's work.
    std::vector<const std::string*> changed_;
    std::unordered_set<std::string> failedFiles_;
    std::vector<std::string> touchedFiles_;
    std::vector<std::string> reloadFiles_;  // of the resource being reloaded
};

void ReloadState::discover() {
    const ResourceRegistry& textures = world_.textureRegistry();
    if (textures.changes() != textureChanges_) {
        textureChanges_ = textures.changes();
        textures.list(listed_);
        textures_.clear();
        for (Resource* resource : listed_) {
            if (auto* texture = dynamic_cast<Texture*>(resource)) {
                textures_.push_back(texture);
                watchFilesOf(*texture);
            }
        }
    }
    const ResourceRegistry& programs = world_.programRegistry();
    if (programs.changes() != programChanges_) {
        programChanges_ = programs.changes();
        programs.list(listed_);
        programs_.clear();
        techniques_.clear();
        for (Resource* resource : listed_) {
            if (auto* technique = dynamic_cast<RenderTechnique*>(resource)) {
                techniques_.push_back(technique);
                watchFilesOf(*technique);
            } else if (dynamic_cast<VertexProgram*>(resource) ||
                       dynamic_cast<PixelShader*>(resource)) {
                programs_.push_back(resource);
                watchFilesOf(*resource);
            }
        }
    }
    const ResourceRegistry& meshes = world_.meshRegistry();
    if (meshes.changes() != meshChanges_) {
        meshChanges_ = meshes.changes();
        meshes.list(listed_);
        for (Resource* resource : listed_)
            if (dynamic_cast<DynamicMesh*>(resource)) watchLevelFile(resource->name());
    }
    const auto& maps = world_.maps();
    bool sameMaps = maps.size() == maps_.size();
    for (size_t i = 0; sameMaps && i < maps.size(); ++i) sameMaps = maps[i]->name() == maps_[i];
    if (!sameMaps) {
        maps_.clear();
        for (const auto& map : maps) {
            maps_.push_back(map->name());
            watchLevelFile(map->name());
        }
    }
}

template <typename Reload>
bool ReloadState::attempt(const char* kind, bool quoteLog, Reload reload) {
    std::string files;
    for (const std::string& file : reloadFiles_) {
        if (!files.empty()) files += " & ";
        files += file;
        if (std::find(touchedFiles_.begin(), touchedFiles_.end(), file) == touchedFiles_.end())
            touchedFiles_.push_back(file);
    }

    std::string error;
    std::string said;
    const long logStart = quoteLog ? logSize() : 0;
    {
        CollectedReports reports;
        try {
            reload();
        } catch (Exception* e) {
            error = e->what();
            delete e;
        }
        said = CollectedReports::texts();
    }
    if (error.empty()) {
        if (!said.empty()) RunTimeMessage("Reloaded %s %s:\n%s", kind, files.c_str(), said.c_str());
        return true;
    }
    // Two resources read from one file (a default technique and a material's) fail
    // alike: the file's message is said once a check.
    const bool alreadySaid =
        !reloadFiles_.empty() &&
        std::all_of(reloadFiles_.begin(), reloadFiles_.end(),
                    [this](const std::string& file) { return failedFiles_.count(file) > 0; });
    for (const std::string& file : reloadFiles_) failedFiles_.insert(file);
    if (alreadySaid) return false;
    if (quoteLog) said = logSince(logStart);
    RunTimeMessage("Could not reload %s %s; the previous version stays in use:\n%s\n%s", kind,
                   files.c_str(), error.c_str(), said.c_str());
    return false;
}

void ReloadState::nameFiles(const Resource& resource) {
    reloadFiles_.clear();
    for (const LoadedFile& file : resource.loadedFiles())
        if (changed(file.name)) reloadFiles_.push_back(file.name);
    // Compiled again for a rebuilt program: its own files did not change.
    if (reloadFiles_.empty())
        for (const LoadedFile& file : resource.loadedFiles()) reloadFiles_.push_back(file.name);
    if (reloadFiles_.empty()) reloadFiles_.push_back(resource.name());
}

void ReloadState::reloadTechnique(RenderTechnique& technique,
                                  const std::vector<Resource*>& rebuilt) {
    bool usesRebuilt = false;
    for (const Resource* program : rebuilt) usesRebuilt = usesRebuilt || technique.uses(program);
    if (!usesRebuilt && !changed(technique)) return;
    // One compiled from a text in memory has no file to compile again.
    if (technique.loadedFiles().empty()) {
        technique.refreshParameters();
        return;
    }
    reloadFiles_.clear();
    forEachFileOf(technique, [&](const LoadedFile& file) {
        if (changed(file.name) &&
            std::find(reloadFiles_.begin(), reloadFiles_.end(), file.name) == reloadFiles_.end())
            reloadFiles_.push_back(file.name);
    });
    if (reloadFiles_.empty()) nameFiles(technique);
    const bool reloaded =
        attempt("render technique", !technique.programRegistry(), [&] { technique.reload(); });
    // The kept passes still hold handles of the deleted driver programs.
    if (!reloaded && usesRebuilt) technique.refreshParameters();
    if (reloaded) watchFilesOf(technique);
}

ReloadResult ReloadState::check() {
    discover();
    const std::vector<std::string>& changedNames =
        files_.check([](const char* name) { return fileSystem().stamp(name); });
    ReloadResult result;
    if (changedNames.empty()) return result;

    changed_.clear();
    failedFiles_.clear();
    touchedFiles_.clear();
    for (const std::string& name : changedNames) {
        changed_.push_back(&name);
        if (levelFiles_.count(name)) result.levelChanged = true;
    }

    for (Texture* texture : textures_) {
        if (!changed(*texture)) continue;
        nameFiles(*texture);
        attempt("texture", false, [&] { texture->reload(); });
    }

    std::vector<Resource*> rebuilt;
    for (Resource* program : programs_) {
        if (!changed(*program)) continue;
        nameFiles(*program);
        auto* vertex = dynamic_cast<VertexProgram*>(program);
        auto* pixel = dynamic_cast<PixelShader*>(program);
        const bool built = vertex ? attempt("vertex program", true, [&] { vertex->rebuild(); })
                                  : attempt("pixel shader", true, [&] { pixel->rebuild(); });
        if (built) rebuilt.push_back(program);
    }

    for (RenderTechnique* technique : defaults_) reloadTechnique(*technique, rebuilt);
    for (RenderTechnique* technique : techniques_) reloadTechnique(*technique, rebuilt);
    for (RenderTechnique* technique : external_) reloadTechnique(*technique, rebuilt);

    for (const std::string& file : touchedFiles_)
        (failedFiles_.count(file) ? result.failed : result.reloaded).push_back(file);
    return result;
}

void World::ReloadStateDeleter::operator()(ReloadState* state) const { delete state; }

ReloadResult World::reloadChanged() {
    if (!reload_) reload_.reset(new ReloadState(*this, techniques_, kDefaultTechniqueCount));
    return reload_->check();
}

void World::watchTechnique(RenderTechnique* technique) {
    if (!reload_) reload_.reset(new ReloadState(*this, techniques_, kDefaultTechniqueCount));
    reload_->watchExternal(technique);
}

void World::unwatchTechnique(RenderTechnique* technique) {
    if (reload_) reload_->unwatchExternal(technique);
}

}  // namespace arvel
