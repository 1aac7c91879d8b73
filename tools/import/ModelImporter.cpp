#include "ModelImporter.h"

#include <assimp/config.h>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <assimp/Importer.hpp>

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <system_error>
#include <unordered_map>

#include "ImportSkeleton.h"

namespace arvel::content {

namespace {

namespace fs = std::filesystem;

constexpr size_t kMaxInfluences = 4;

// Triangles only (points and lines go), shared corners joined, normals and tangents
// made where the file has none. Winding stays as assimp gives it: counter-clockwise.
constexpr unsigned kPostProcess = aiProcess_Triangulate | aiProcess_JoinIdenticalVertices |
                                  aiProcess_SortByPType | aiProcess_FindDegenerates |
                                  aiProcess_GenSmoothNormals | aiProcess_CalcTangentSpace |
                                  aiProcess_ValidateDataStructure;

struct Placement {
    const aiNode* node;
    const aiMesh* mesh;
    aiMatrix4x4 global;  // puts the mesh's vertices into the scene at rest
};

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string quoted(const aiString& name, const std::string& fallback) {
    return name.length > 0 ? "\"" + std::string(name.C_Str()) + "\"" : fallback;
}

std::array<float, 12> bindRows(const aiMatrix4x4& m) {
    return {m.a1, m.a2, m.a3, m.a4, m.b1, m.b2, m.b3, m.b4, m.c1, m.c2, m.c3, m.c4};
}

float largestDifference(const aiMatrix4x4& a, const aiMatrix4x4& b) {
    float difference = 0, size = 1;
    for (unsigned r = 0; r < 4; ++r)
        for (unsigned c = 0; c < 4; ++c) {
            difference = std::max(difference, std::fabs(a[r][c] - b[r][c]));
            size = std::max(size, std::fabs(a[r][c]));
        }
    return difference / size;
}

std::array<float, 3> normalized(const aiVector3D& v, const std::array<float, 3>& fallback) {
    const float length = v.Length();
    if (!(length > 1e-12f) || !std::isfinite(length)) return fallback;
    return {v.x / length, v.y / length, v.z / length};
}

// Any unit vector at right angles to n.
aiVector3D perpendicular(const aiVector3D& n) {
    const aiVector3D other = std::fabs(n.x) < 0.9f ? aiVector3D(1, 0, 0) : aiVector3D(0, 1, 0);
    aiVector3D t = other - n * (other * n);
    return t.Normalize();
}

class Converter {
public:
    Converter(const aiScene& scene, const fs::path& file, const ImportOptions& options,
              ImportedModel& out)
        : scene_(scene), file_(file), folder_(file.parent_path()), options_(options), out_(out) {
        aiMatrix4x4::Scaling(aiVector3D(options.scale), modelFrame_);
        // glTF skins ignore the transform of their mesh's node: the vertices are in the
        // scene's space already. (Blender still puts the node under the armature's.)
        const std::string extension = lower(file.extension().string());
        ignoresSkinNode_ = extension == ".gltf" || extension == ".glb";
    }

    void run() {
        collect(scene_.mRootNode, aiMatrix4x4());
        if (placements_.empty()) throw ImportError(file_.string() + ": the model has no triangles");
        out_.animated = options_.kind == ImportKind::kAuto ? hasAnimatedGeometry()
                                                           : options_.kind == ImportKind::kAnimated;
        if (out_.animated) chooseBones();
        for (const Placement& placement : placements_) addPlacement(placement);
        if (out_.animated) {
            finishBones();
            addAnimations();
        } else if (scene_.mNumAnimations > 0) {
            out_.dropped.push_back(std::to_string(scene_.mNumAnimations) +
                                   " animation(s): a static prop does not move");
        }
        summarise();
    }

private:
    // ---- the scene -----------------------------------------------------------------

    void collect(const aiNode* node, const aiMatrix4x4& parent) {
        const aiMatrix4x4 global = parent * node->mTransformation;
        globals_[node] = global;
        nodeByName_.emplace(node->mName.C_Str(), node);
        for (unsigned i = 0; i < node->mNumMeshes; ++i) {
            if (node->mMeshes[i] >= scene_.mNumMeshes) continue;
            const aiMesh* mesh = scene_.mMeshes[node->mMeshes[i]];
            if ((mesh->mPrimitiveTypes & aiPrimitiveType_TRIANGLE) && mesh->mNumFaces > 0)
                placements_.push_back(
                    {node, mesh, ignoresSkinNode_ && mesh->HasBones() ? aiMatrix4x4() : global});
        }
        for (unsigned i = 0; i < node->mNumChildren; ++i) collect(node->mChildren[i], global);
    }

    const aiNode* node(const aiString& name) const {
        const auto found = nodeByName_.find(name.C_Str());
        return found == nodeByName_.end() ? nullptr : found->second;
    }

    bool hasAnimatedGeometry() const {
        std::set<const aiNode*> carriers;  // nodes whose motion moves some geometry
        for (const Placement& placement : placements_) {
            if (placement.mesh->HasBones()) return true;
            for (const aiNode* n = placement.node; n; n = n->mParent) carriers.insert(n);
        }
        for (unsigned a = 0; a < scene_.mNumAnimations; ++a) {
            const aiAnimation& animation = *scene_.mAnimations[a];
            for (unsigned c = 0; c < animation.mNumChannels; ++c)
                if (carriers.count(node(animation.mChannels[c]->mNodeName))) return true;
        }
        return false;
    }

    // ---- the skeleton --------------------------------------------------------------

    // Bone nodes, nodes of meshes without bones (they move whole) and nodes of skinned
    // meshes with unweighted vertices (those move with the mesh's node).
    void chooseBones() {
        std::set<const aiNode*> needed;
        for (const Placement& placement : placements_) {
            const aiMesh& mesh = *placement.mesh;
            std::vector<bool> weighted(mesh.mNumVertices, false);
            for (unsigned b = 0; b < mesh.mNumBones; ++b) {
                const aiBone& bone = *mesh.mBones[b];
                const aiNode* boneNode = node(bone.mName);
                if (!boneNode) continue;
                needed.insert(boneNode);
                for (unsigned w = 0; w < bone.mNumWeights; ++w)
                    if (bone.mWeights[w].mVertexId < mesh.mNumVertices &&
                        bone.mWeights[w].mWeight > 0)
                        weighted[bone.mWeights[w].mVertexId] = true;
            }
            if (std::find(weighted.begin(), weighted.end(), false) != weighted.end())
                needed.insert(placement.node);
        }
        skeleton_ = buildSkeleton(scene_.mRootNode, needed);
        out_.mesh.bones.resize(skeleton_.nodes.size());
        bindSet_.assign(skeleton_.nodes.size(), false);
        for (size_t i = 0; i < skeleton_.nodes.size(); ++i)
            binds_.push_back(modelFrame_ * globals_[skeleton_.nodes[i]]);
        linkBones(skeleton_, out_.mesh.bones);
    }

    // A bone's bind matrix takes the model from its space to the bone's: the inverse of
    // assimp's offset matrix, placed by the mesh's node and the model's frame.
    void bindFromOffset(int bone, const Placement& placement, const aiBone& source) {
        aiMatrix4x4 offsetInverse = source.mOffsetMatrix;
        offsetInverse.Inverse();
        const aiMatrix4x4 bind = modelFrame_ * placement.global * offsetInverse;
        const auto b = static_cast<size_t>(bone);
        if (!bindSet_[b]) {
            binds_[b] = bind;
            bindSet_[b] = true;
        } else if (largestDifference(binds_[b], bind) > 1e-3f) {
            note("bone " + quoted(source.mName, "#" + std::to_string(bone)) +
                 ": meshes disagree on its bind pose (the first mesh's is kept)");
        }
    }

    // ---- geometry ------------------------------------------------------------------

    std::vector<std::vector<MshInfluence>> influencesOf(const Placement& placement) {
        const aiMesh& mesh = *placement.mesh;
        std::vector<std::vector<MshInfluence>> influences(mesh.mNumVertices);
        if (!out_.animated) return influences;
        for (unsigned b = 0; b < mesh.mNumBones; ++b) {
            const aiBone& source = *mesh.mBones[b];
            const int bone = skeleton_.boneOf(node(source.mName));
            if (bone < 0) {
                note("the weights of bone " + quoted(source.mName, "#" + std::to_string(b)) +
                     ", which names no node");
                continue;
            }
            bindFromOffset(bone, placement, source);
            for (unsigned w = 0; w < source.mNumWeights; ++w) {
                const aiVertexWeight& weight = source.mWeights[w];
                if (weight.mVertexId < mesh.mNumVertices)
                    influences[weight.mVertexId].push_back({bone, weight.mWeight});
            }
        }
        const int own = skeleton_.boneOf(placement.node);
        for (auto& list : influences) {
            const int dropped = limitInfluences(list);
            if (dropped > 0) {
                out_.droppedInfluences += dropped;
                ++out_.verticesOverInfluenceLimit;
            }
            if (list.empty()) list.push_back({own, 1.0f});
        }
        return influences;
    }

    // Corners with the same place and the same influences are one position, so that
    // faces on either side of a seam share their edge (shadow volumes need that).
    int32_t positionIndex(const std::array<float, 3>& point,
                          const std::vector<MshInfluence>& influences) {
        std::string key(reinterpret_cast<const char*>(point.data()), sizeof point);
        for (const MshInfluence& influence : influences) {
            key.append(reinterpret_cast<const char*>(&influence.bone), sizeof influence.bone);
            key.append(reinterpret_cast<const char*>(&influence.weight), sizeof influence.weight);
        }
        const auto [found, added] =
            positions_.emplace(std::move(key), static_cast<int32_t>(out_.mesh.positions.size()));
        if (added) out_.mesh.positions.push_back({point, influences});
        return found->second;
    }

    void addPlacement(const Placement& placement) {
        const aiMesh& mesh = *placement.mesh;
        const aiMatrix4x4 transform = modelFrame_ * placement.global;
        aiMatrix3x3 normalMatrix(transform);
        const bool mirrored = normalMatrix.Determinant() < 0;
        normalMatrix.Inverse().Transpose();
        const aiMatrix3x3 directionMatrix(transform);
        const std::vector<std::vector<MshInfluence>> influences = influencesOf(placement);

        const auto firstVertex = static_cast<int32_t>(out_.mesh.vertices.size());
        for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
            const aiVector3D p = transform * mesh.mVertices[v];
            MshVertex vertex;
            vertex.position = positionIndex({p.x, p.y, p.z}, influences[v]);
            if (mesh.HasTextureCoords(0)) {
                vertex.u = mesh.mTextureCoords[0][v].x;
                vertex.v = mesh.mTextureCoords[0][v].y;
            }
            const aiVector3D n =
                mesh.HasNormals() ? normalMatrix * mesh.mNormals[v] : aiVector3D(0, 0, 1);
            vertex.normal = normalized(n, {0, 0, 1});
            const aiVector3D unitNormal(vertex.normal[0], vertex.normal[1], vertex.normal[2]);
            aiVector3D t = mesh.HasTangentsAndBitangents() ? directionMatrix * mesh.mTangents[v]
                                                           : aiVector3D();
            t -= unitNormal * (t * unitNormal);
            const aiVector3D fallback = perpendicular(unitNormal);
            vertex.tangent = normalized(t, {fallback.x, fallback.y, fallback.z});
            out_.mesh.vertices.push_back(vertex);
        }
        const int32_t material = materialIndex(mesh.mMaterialIndex);
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
            const aiFace& face = mesh.mFaces[f];
            if (face.mNumIndices != 3) continue;
            MshTriangle triangle;
            triangle.material = material;
            for (int c = 0; c < 3; ++c)
                triangle.vertices[static_cast<size_t>(c)] =
                    firstVertex + static_cast<int32_t>(face.mIndices[c]);
            // A mirroring transform turns the winding around; turn it back.
            if (mirrored) std::swap(triangle.vertices[1], triangle.vertices[2]);
            out_.mesh.triangles.push_back(triangle);
        }
    }

    void finishBones() {
        std::vector<aiMatrix4x4> inverse(binds_);
        for (size_t i = 0; i < skeleton_.nodes.size(); ++i) {
            inverse[i].Inverse();
            MshBone& bone = out_.mesh.bones[i];
            bone.bindRows = bindRows(binds_[i]);
            bone.boxMin = {FLT_MAX, FLT_MAX, FLT_MAX};  // empty until a position grows it
            bone.boxMax = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
        }
        for (const MshPosition& position : out_.mesh.positions)
            for (const MshInfluence& influence : position.influences) {
                const auto b = static_cast<size_t>(influence.bone);
                const aiVector3D local =
                    inverse[b] *
                    aiVector3D(position.point[0], position.point[1], position.point[2]);
                MshBone& bone = out_.mesh.bones[b];
                for (int c = 0; c < 3; ++c) {
                    bone.boxMin[static_cast<size_t>(c)] =
                        std::min(bone.boxMin[static_cast<size_t>(c)], local[c]);
                    bone.boxMax[static_cast<size_t>(c)] =
                        std::max(bone.boxMax[static_cast<size_t>(c)], local[c]);
                }
            }
    }

    // ---- animation -----------------------------------------------------------------

    void addAnimations() {
        SampleContext context;
        context.skeleton = &skeleton_;
        context.dropped = &out_.dropped;
        const aiNode* above = skeleton_.nodes.empty() ? nullptr : skeleton_.nodes[0]->mParent;
        context.rootFrame = above ? modelFrame_ * globals_[above] : modelFrame_;
        for (unsigned a = 0; a < scene_.mNumAnimations; ++a) {
            out_.mesh.animations.push_back(
                sampleAnimation(*scene_.mAnimations[a], static_cast<int>(a), context));
            out_.animationNames.emplace_back(scene_.mAnimations[a]->mName.C_Str());
        }
        if (out_.mesh.animations.empty()) {
            out_.animationNames.emplace_back();
            // The engine poses a mesh only through an animation: give it its rest pose.
            out_.mesh.animations.push_back(restPose(context));
            note("no animation in the model: the rest pose is written as a one-frame animation");
        }
        if (context.approximatedKeys > 0)
            note(std::to_string(context.approximatedKeys) +
                 " key(s) with non-uniform scale under rotation (kept as the nearest "
                 "rotation and scale)");
    }

    // ---- materials -----------------------------------------------------------------

    int32_t materialIndex(unsigned sceneMaterial) {
        const auto found = materials_.find(sceneMaterial);
        if (found != materials_.end()) return found->second;
        const auto index = static_cast<int32_t>(out_.mesh.materials.size());
        materials_[sceneMaterial] = index;
        MshMaterial material;
        material.technique = !options_.technique.empty() ? options_.technique
                             : out_.animated             ? "dynamic_default.rt"
                                                         : "static_default.rt";
        if (sceneMaterial < scene_.mNumMaterials) {
            const aiMaterial& source = *scene_.mMaterials[sceneMaterial];
            const std::string name =
                "material " + quoted(source.GetName(), "#" + std::to_string(sceneMaterial));
            float opacity = 1.0f;
            if (source.Get(AI_MATKEY_OPACITY, opacity) == AI_SUCCESS && std::isfinite(opacity))
                material.opacity =
                    static_cast<uint8_t>(std::lround(std::clamp(opacity, 0.0f, 1.0f) * 255.0f));
            if (const std::optional<std::string> texture = diffuseTexture(source, name))
                material.textures.push_back(*texture);
            noteOtherTextures(source, name);
        }
        out_.mesh.materials.push_back(material);
        return index;
    }

    std::optional<fs::path> findFile(const std::string& reference) const {
        std::string path = reference;
        std::replace(path.begin(), path.end(), '\\', '/');
        const fs::path given(path);
        const std::string fileName = given.filename().string();
        std::error_code error;
        for (const fs::path& candidate : {folder_ / given, folder_ / fileName})
            if (fs::is_regular_file(candidate, error)) return candidate;
        // Exporters written on Windows get the case of file names wrong.
        for (const auto& entry : fs::directory_iterator(folder_, error))
            if (lower(entry.path().filename().string()) == lower(fileName) &&
                entry.is_regular_file(error))
                return entry.path();
        return std::nullopt;
    }

    std::optional<std::string> diffuseTexture(const aiMaterial& material, const std::string& name) {
        aiString reference;
        if (material.GetTexture(aiTextureType_DIFFUSE, 0, &reference) != AI_SUCCESS &&
            material.GetTexture(aiTextureType_BASE_COLOR, 0, &reference) != AI_SUCCESS)
            return std::nullopt;
        const std::string text = reference.C_Str();
        if (text.empty()) return std::nullopt;
        if (text[0] == '*' || scene_.GetEmbeddedTexture(text.c_str()))
            return embeddedTexture(text, name);
        const std::optional<fs::path> file = findFile(text);
        if (!file) {
            note(name + ": texture " + text + " (not found next to the model)");
            return std::nullopt;
        }
        return textureFile(*file, text, name);
    }

    // Images inside the file (a .glb holds PNG or JPEG) are not converted: the engine
    // reads neither. A Targa of the image's name next to the model takes its place.
    std::optional<std::string> embeddedTexture(const std::string& text, const std::string& name) {
        const aiTexture* embedded = scene_.GetEmbeddedTexture(text.c_str());
        const std::string image =
            embedded ? fs::path(embedded->mFilename.C_Str()).stem().string() : std::string();
        if (!image.empty())
            if (const std::optional<fs::path> file = findFile(image + ".tga"))
                return textureFile(*file, text, name);
        std::string what = name + ": embedded texture " + text;
        if (embedded && embedded->mHeight == 0)
            what += " (\"" + image + "\", " + std::string(embedded->achFormatHint) + ")";
        what += " is not converted";
        if (!image.empty()) what += ": " + image + ".tga next to the model would take its place";
        note(what);
        return std::nullopt;
    }

    // The file's name for the material when the engine reads its kind; listed once.
    std::optional<std::string> textureFile(const fs::path& file, const std::string& text,
                                           const std::string& name) {
        const std::string extension = lower(file.extension().string());
        if (extension != ".tga" && extension != ".fpf") {
            note(name + ": texture " + text + " (the engine reads only Targa and FPF images)");
            return std::nullopt;
        }
        const std::string fileName = file.filename().string();
        const bool known =
            std::any_of(out_.textures.begin(), out_.textures.end(),
                        [&](const ImportedTexture& texture) { return texture.name == fileName; });
        if (!known) out_.textures.push_back({fileName, file});
        return fileName;
    }

    void noteOtherTextures(const aiMaterial& material, const std::string& name) {
        for (int type = aiTextureType_NONE + 1; type <= AI_TEXTURE_TYPE_MAX; ++type) {
            const auto kind = static_cast<aiTextureType>(type);
            unsigned count = material.GetTextureCount(kind);
            if (kind == aiTextureType_DIFFUSE || kind == aiTextureType_BASE_COLOR) {
                if (count <= 1) continue;
                --count;
            }
            if (count > 0)
                note(name + ": " + std::to_string(count) + " " + aiTextureTypeToString(kind) +
                     " texture(s) (materials take one colour texture)");
        }
    }

    // ---- the report ----------------------------------------------------------------

    void note(const std::string& text) {
        if (reported_.insert(text).second) out_.dropped.push_back(text);
    }

    void summarise() {
        if (out_.droppedInfluences > 0)
            out_.dropped.push_back(std::to_string(out_.droppedInfluences) +
                                   " influence(s) beyond four on " +
                                   std::to_string(out_.verticesOverInfluenceLimit) +
                                   " vertices (the four largest kept, renormalised)");
    }

    const aiScene& scene_;
    fs::path file_;
    fs::path folder_;
    const ImportOptions& options_;
    ImportedModel& out_;
    aiMatrix4x4 modelFrame_;
    bool ignoresSkinNode_ = false;
    std::vector<Placement> placements_;
    std::map<const aiNode*, aiMatrix4x4> globals_;
    std::map<std::string, const aiNode*> nodeByName_;  // the first of a name, depth first
    ImportSkeleton skeleton_;
    std::vector<aiMatrix4x4> binds_;
    std::vector<bool> bindSet_;
    std::unordered_map<std::string, int32_t> positions_;
    std::map<unsigned, int32_t> materials_;
    std::set<std::string> reported_;
};

}  // namespace

int limitInfluences(std::vector<MshInfluence>& influences) {
    std::vector<MshInfluence> merged;
    for (const MshInfluence& influence : influences) {
        if (!(influence.weight > 0) || !std::isfinite(influence.weight)) continue;
        auto same = std::find_if(merged.begin(), merged.end(),
                                 [&](const MshInfluence& m) { return m.bone == influence.bone; });
        if (same != merged.end())
            same->weight += influence.weight;
        else
            merged.push_back(influence);
    }
    std::stable_sort(
        merged.begin(), merged.end(),
        [](const MshInfluence& a, const MshInfluence& b) { return a.weight > b.weight; });
    const int dropped =
        static_cast<int>(merged.size() > kMaxInfluences ? merged.size() - kMaxInfluences : 0);
    if (merged.size() > kMaxInfluences) merged.resize(kMaxInfluences);
    float sum = 0;
    for (const MshInfluence& influence : merged) sum += influence.weight;
    for (MshInfluence& influence : merged) influence.weight /= sum;
    influences = std::move(merged);
    return dropped;
}

const aiScene& readModelScene(Assimp::Importer& importer, const fs::path& file) {
    std::error_code error;
    if (!fs::is_regular_file(file, error)) throw ImportError(file.string() + ": no such file");
    importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE,
                                aiPrimitiveType_POINT | aiPrimitiveType_LINE);
    importer.SetPropertyBool(AI_CONFIG_PP_FD_REMOVE, true);
    const aiScene* scene = importer.ReadFile(file.string(), kPostProcess);
    if (!scene || !scene->mRootNode)
        throw ImportError(file.string() + ": " + importer.GetErrorString());
    return *scene;
}

ImportedModel importModel(const fs::path& file, const ImportOptions& options) {
    if (!(options.scale > 0) || !std::isfinite(options.scale))
        throw ImportError("the scale must be a positive number");
    Assimp::Importer importer;
    const aiScene& scene = readModelScene(importer, file);
    ImportedModel model;
    Converter(scene, file, options, model).run();
    return model;
}

}  // namespace arvel::content
