// Turns models that assimp reads (DirectX .x, FBX, glTF 2, Collada, SMD, MS3D and the
// rest) into ".msh" meshes. A model with bones or animated nodes becomes a skinned,
// animated mesh: every node between the scene root and the geometry becomes a bone,
// keys are resampled to 0.1 s frames, each position keeps at most four influences. A
// model without either becomes a static prop: a ".msh" without bones or animations,
// positions in model space, which the level compiler reads with parseMsh.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "MshWriter.h"

struct aiScene;
namespace Assimp {
class Importer;
}

namespace arvel::content {

class ImportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class ImportKind { kAuto, kAnimated, kStatic };

struct ImportOptions {
    ImportKind kind = ImportKind::kAuto;
    // The technique every material gets; empty: "dynamic_default.rt" for animated
    // meshes, "static_default.rt" for props.
    std::string technique;
    // Uniform scale applied to the whole model (positions, bones and keys).
    float scale = 1.0f;
};

// A texture the materials name, found next to the model.
struct ImportedTexture {
    std::string name;              // as the material names it (the file's own name)
    std::filesystem::path source;  // where it was found
};

struct ImportedModel {
    // Its vertices are those of the scene's meshes, one each, in the order the nodes
    // place the meshes (depth first, each node's meshes in turn); its triangles keep
    // assimp's counter-clockwise winding.
    MshFile mesh;
    bool animated = false;
    // One per animation of mesh, as the file names it (empty when it has no name): the
    // .msh keeps only their order, by which the game picks them.
    std::vector<std::string> animationNames;
    std::vector<ImportedTexture> textures;
    // What was left out or approximated, one line each, for the user to read.
    std::vector<std::string> dropped;
    // Influences dropped beyond four per position, and the vertices that had them.
    int droppedInfluences = 0;
    int verticesOverInfluenceLimit = 0;
};

// Reads and converts the model file. Throws ImportError (with the file's name) when
// assimp cannot read it or it holds no triangles.
ImportedModel importModel(const std::filesystem::path& file, const ImportOptions& options = {});

// The scene as the importer sees it (triangulated, shared corners joined, normals and
// tangents made), owned by importer. Throws ImportError like importModel.
const aiScene& readModelScene(Assimp::Importer& importer, const std::filesystem::path& file);

// The influence rule: weights of the same bone add up, weights that are not positive
// go, the four largest stay and are scaled to sum to 1 (an empty list stays empty).
// Returns how many influences went beyond the four.
int limitInfluences(std::vector<MshInfluence>& influences);

}  // namespace arvel::content
