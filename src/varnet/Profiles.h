// The program profiles chosen by dSetVPProfile and dSetFPProfile. The plug-in compiles
// program sources itself, so a profile is only the choice of language (and, for the NV
// names, of the extensions the program needs); programs compiled afterwards use it.
#pragma once

#include <strings.h>

namespace arvel::varnet {

enum class Profile : int {
    kBest = 0,  // GLSL where the driver has it, else ARB assembly
    kGlsl,
    kArb,
    kVp20,
    kVp30,
    kFp20,
    kFp30,
};

struct ProfileState {
    Profile vertex = Profile::kBest;
    Profile fragment = Profile::kBest;
};

extern ProfileState gProfiles;

// Names are matched without regard to case; any name that is not one of the stage's own
// (null included) selects the best profile.
inline Profile vertexProfileNamed(const char* name) {
    if (name == nullptr) return Profile::kBest;
    if (strcasecmp(name, "vp20") == 0) return Profile::kVp20;
    if (strcasecmp(name, "vp30") == 0) return Profile::kVp30;
    if (strcasecmp(name, "arb") == 0) return Profile::kArb;
    if (strcasecmp(name, "glsl") == 0) return Profile::kGlsl;
    return Profile::kBest;
}

inline Profile fragmentProfileNamed(const char* name) {
    if (name == nullptr) return Profile::kBest;
    if (strcasecmp(name, "fp20") == 0) return Profile::kFp20;
    if (strcasecmp(name, "fp30") == 0) return Profile::kFp30;
    if (strcasecmp(name, "arb") == 0) return Profile::kArb;
    if (strcasecmp(name, "glsl") == 0) return Profile::kGlsl;
    return Profile::kBest;
}

}  // namespace arvel::varnet
