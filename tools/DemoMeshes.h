// The demo's two skinned meshes and their textures, built from code: "test.msh", a
// sea-anemone creature whose six tentacles sway, and "testa.msh", a machine arm that
// turns, reaches and grips with pistons following its joints. Both stand on y = 0 with
// their base around the origin, are about a dozen units tall, and loop.
#pragma once

#include "MshWriter.h"
#include "TgaWriter.h"

namespace arvel::content {

inline constexpr const char* kCreatureTexture = "creature.tga";
inline constexpr const char* kMachineTexture = "machine.tga";

// 25 bones: the body and six tentacles of four segments; one 4 s loop.
MshFile makeTentacleCreature();
// 23 bones: base, turret, shoulder, elbow, wrist, hand, a sensor, four three-jointed
// fingers and two pistons of two parts; one 6 s loop.
MshFile makeMachineArm();

Image makeCreatureTexture();
Image makeMachineTexture();

}  // namespace arvel::content
