// Reads ".msh" files back into the writer's structures: what the level compiler needs
// to place static props (a ".msh" without bones or animations) and what tools check
// their output with. Every count and index is bounded by the bytes there are.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "MshWriter.h"

namespace arvel::content {

// What is wrong with a file, with the byte offset where reading stopped.
class MshReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The mesh in bytes. Throws MshReadError for truncated data, negative or impossible
// counts, bone, position, vertex or material indices outside their lists, and bytes
// left over after the triangles.
MshFile parseMsh(std::string_view bytes);
// The mesh in the file; MshReadError also when the file cannot be read.
MshFile loadMsh(const std::filesystem::path& path);

}  // namespace arvel::content
