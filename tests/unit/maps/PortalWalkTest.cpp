#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "MapTestSupport.h"
#include "shared/ViewVolumes.h"
#include "world/DynamicMesh.h"
#include "world/Light.h"
#include "world/LightRenderer.h"
#include "world/MeshInstance.h"
#include "world/Portal.h"
#include "world/Sector.h"
#include "world/StaticMesh.h"
#include "world/ViewVolume.h"
#include "world/VisibleSet.h"

namespace arvel::test {
namespace {

// A volume without planes: everything is in view.
ViewVolume everywhere(const Vector4& eye) {
    ViewVolume volume;
    volume.viewpoint = eye;
    volume.finish();
    return volume;
}

std::vector<int> indicesOf(const std::vector<Sector*>& sectors) {
    std::vector<int> indices;
    for (const Sector* sector : sectors) indices.push_back(sector->index);
    return indices;
}

std::vector<int> upTo(int count) {
    std::vector<int> indices(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) indices[static_cast<size_t>(i)] = i;
    return indices;
}

class PortalWalk : public MapTest {
protected:
    void loadChain(int rooms, bool zigzag = false) {
        RoomChainOptions chain;
        chain.rooms = rooms;
        chain.zigzag = zigzag;
        ASSERT_EQ(load(roomChain(chain)), "");
    }

    // Clears the flags as the frame does before each walk, then walks.
    std::vector<int> walk(const Vector4& eye, int start, const ViewVolume& volume, float limit) {
        map->setContentFlags(0);
        visible.clear();
        map->walk(eye, start < 0 ? nullptr : &map->sector(start), volume, visible, limit);
        return indicesOf(visible.sectors);
    }

    VisibleSet visible;
};

const Vector4 kRoomCentre{2, 1, 2, 0};

TEST_F(PortalWalk, LimitZeroCrossesNoPortal) {
    loadChain(3);
    EXPECT_EQ(walk(kRoomCentre, 0, lookAlongX(kRoomCentre), 0.0f), (std::vector<int>{0}));
    EXPECT_TRUE(visible.volumes.empty());
    EXPECT_EQ(walk(kRoomCentre, 0, lookAlongX(kRoomCentre), kNoHit), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(visible.volumes.size(), 2u);
}

TEST_F(PortalWalk, PortalMustLieStrictlyNearerThanTheLimit) {
    loadChain(3);
    // The first door is 2 away, the second 6.
    EXPECT_EQ(walk(kRoomCentre, 0, lookAlongX(kRoomCentre), 2.0f), (std::vector<int>{0}));
    EXPECT_EQ(walk(kRoomCentre, 0, lookAlongX(kRoomCentre), 2.01f), (std::vector<int>{0, 1}));
    EXPECT_EQ(walk(kRoomCentre, 0, lookAlongX(kRoomCentre), 6.01f), (std::vector<int>{0, 1, 2}));
}

TEST_F(PortalWalk, ViewpointOnThePortalStillCrossesIt) {
    loadChain(2);
    const Vector4 inDoorway{4, 1, 2, 0};
    EXPECT_EQ(walk(inDoorway, 0, everywhere(inDoorway), 1.0f), (std::vector<int>{0, 1}));
    EXPECT_EQ(walk(inDoorway, 1, everywhere(inDoorway), 1.0f), (std::vector<int>{1, 0}));
    EXPECT_EQ(walk(inDoorway, 0, everywhere(inDoorway), 0.0f), (std::vector<int>{0}));
}

TEST_F(PortalWalk, EachPortalIsCrossedOncePerWalkInEitherDirection) {
    loadChain(3);
    const Vector4 eye{6, 1, 2, 0};
    EXPECT_EQ(walk(eye, 1, everywhere(eye), kNoHit), (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(visible.volumes.size(), 2u);
    EXPECT_EQ(map->sector(0).viewVolumes().size(), 1u);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(map->portal(i).flags & Portal::kCrossed, 1);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(map->sector(i).flags & Sector::kVisited, 1);
}

TEST_F(PortalWalk, TwoPortalsBetweenTheSameSectorsGiveOneEntryWithTwoVolumes) {
    const Vector4 min0{0, 0, 0, 0}, max0{4, 3, 4, 0}, min1{4, 0, 0, 0}, max1{8, 3, 4, 0};
    const Opening left{BoxSide::kMaxX, 0, 2, 0.5f, 1.5f}, right{BoxSide::kMaxX, 0, 2, 2.5f, 3.5f};
    Opening leftBack = left, rightBack = right;
    leftBack.side = rightBack.side = BoxSide::kMinX;
    OtmMap plain;
    plain.sectors.resize(2);
    plain.sectors[0].mesh = singleLeafMesh(boxRoom(min0, max0, {left, right}));
    plain.sectors[1].mesh = singleLeafMesh(boxRoom(min1, max1, {leftBack, rightBack}));
    plain.sectors[0].portals = plain.sectors[1].portals = {0, 1};
    plain.portals = {openingPortal(0, 1, min0, max0, left), openingPortal(0, 1, min0, max0, right)};
    ASSERT_EQ(load(plain), "");

    EXPECT_EQ(walk(kRoomCentre, 0, lookAlongX(kRoomCentre), kNoHit), (std::vector<int>{0, 1}));
    ASSERT_EQ(visible.volumes.size(), 2u);
    const auto& volumes = map->sector(1).viewVolumes();
    ASSERT_EQ(volumes.size(), 2u);
    EXPECT_EQ(volumes[0], visible.volumes[0].get());
    EXPECT_EQ(volumes[1], visible.volumes[1].get());
}

TEST_F(PortalWalk, WalkWithoutAStartSectorListsEverySectorInIndexOrder) {
    loadChain(3);
    const Vector4 outside{-10, 1, 2, 0};
    const ViewVolume view = lookAlongX(outside);
    EXPECT_EQ(walk(outside, -1, view, kNoHit), (std::vector<int>{0, 1, 2}));
    for (int i = 0; i < 3; ++i) {
        const auto& volumes = map->sector(i).viewVolumes();
        EXPECT_NE(std::find(volumes.begin(), volumes.end(), &view), volumes.end()) << i;
    }
}

TEST_F(PortalWalk, NextWalkForgetsTheVolumesOfTheLastOne) {
    loadChain(2);
    const ViewVolume first = everywhere(kRoomCentre);
    walk(kRoomCentre, 0, first, kNoHit);
    const ViewVolume second = everywhere(kRoomCentre);
    walk(kRoomCentre, 0, second, kNoHit);
    ASSERT_EQ(map->sector(0).viewVolumes().size(), 1u);
    EXPECT_EQ(map->sector(0).viewVolumes()[0], &second);
}

TEST_F(PortalWalk, SettingContentFlagsReachesLightsPortalsAndSectors) {
    OtmMap plain = roomChain({});
    plain.lights.resize(1);
    ASSERT_EQ(load(plain), "");
    map->setContentFlags(0x21);
    EXPECT_EQ(map->sector(1).flags, 0x21);
    EXPECT_EQ(map->portal(0).flags, 0x21);
    EXPECT_EQ(map->light(0).flags, 0x21);
    EXPECT_EQ(map->flags, 0);
}

TEST_F(PortalWalk, ChainOfAThousandRoomsLoadsAndTheViewReachesOnlyWhatItSees) {
    loadChain(1000, true);
    ASSERT_EQ(map->sectorCount(), 1000);
    ASSERT_EQ(map->portalCount(), 999);
    // Doors alternate between the walls' ends: past the first door the view bends
    // away from the second.
    EXPECT_EQ(walk(kRoomCentre, 0, lookAlongX(kRoomCentre), kNoHit), (std::vector<int>{0, 1}));
}

TEST_F(PortalWalk, StraightChainOfAThousandRoomsIsSeenToTheEnd) {
    loadChain(1000);
    EXPECT_EQ(walk(kRoomCentre, 0, lookAlongX(kRoomCentre), kNoHit), upTo(1000));
    EXPECT_EQ(visible.volumes.size(), 999u);
}

// ---- point in sector --------------------------------------------------------------

// Room 0 and room 1 side by side along x with a door; room 2 on top of room 1, seen
// through a hole in room 1's ceiling that a portal fills.
class SectorContains : public MapTest {
protected:
    SectorContains() {
        const Vector4 min0{0, 0, 0, 0}, max0{4, 3, 4, 0};
        const Vector4 min1{4, 0, 0, 0}, max1{8, 3, 4, 0};
        const Vector4 min2{4, 3, 0, 0}, max2{8, 6, 4, 0};
        const Opening door{BoxSide::kMaxX, 0, 2, 1.5f, 2.5f};
        Opening doorBack = door;
        doorBack.side = BoxSide::kMinX;
        // On a y side u runs along z and v along x.
        const Opening hole{BoxSide::kMaxY, 1, 3, 5, 7};
        Opening holeBelow = hole;
        holeBelow.side = BoxSide::kMinY;

        OtmMap plain;
        plain.sectors.resize(3);
        plain.sectors[0].mesh = singleLeafMesh(boxRoom(min0, max0, {door}));
        plain.sectors[1].mesh = singleLeafMesh(boxRoom(min1, max1, {doorBack, hole}));
        plain.sectors[2].mesh = singleLeafMesh(boxRoom(min2, max2, {holeBelow}));
        plain.sectors[0].portals = {0};
        plain.sectors[1].portals = {0, 1};
        plain.sectors[2].portals = {1};
        plain.portals = {openingPortal(0, 1, min0, max0, door),
                         openingPortal(1, 2, min1, max1, hole)};
        if (load(plain) != "") ADD_FAILURE() << "the map did not load";
    }

    int found(const Vector4& p) const {
        const Sector* sector = map->findSector(p);
        return sector ? sector->index : -1;
    }
};

TEST_F(SectorContains, PointsInsideRoomsFindTheirRooms) {
    EXPECT_EQ(found({2, 1, 2, 0}), 0);
    EXPECT_EQ(found({6, 1, 2, 0}), 1);  // below the hole: the portal is above the point
    EXPECT_EQ(found({6, 4, 0.5f, 0}), 2);
    EXPECT_EQ(found({7.9f, 5.9f, 3.9f, 0}), 2);
}

TEST_F(SectorContains, PointOnTheFloorIsInside) {
    EXPECT_TRUE(map->sector(0).containsPoint({2, 0, 2, 0}));
    EXPECT_EQ(found({2, 0, 2, 0}), 0);
}

TEST_F(SectorContains, PointBelowEveryFloorIsOutside) {
    const Vector4 below{2, -0.5f, 2, 0};
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(map->sector(i).containsPoint(below)) << i;
    EXPECT_EQ(found(below), -1);
}

TEST_F(SectorContains, FloorPortalNearerThanTheFloorPutsThePointOutside) {
    // Above the hole the ray leaves room 2 through the portal before it meets any
    // floor: the odd crossing counts against both rooms it joins.
    const Vector4 aboveHole{6, 4, 2, 0};
    EXPECT_FALSE(map->sector(2).containsPoint(aboveHole));
    EXPECT_FALSE(map->sector(1).containsPoint(aboveHole));
    EXPECT_EQ(found(aboveHole), -1);
}

TEST_F(SectorContains, FaceMetFromBehindMeansOutside) {
    // Inside the map's box, above room 0, the ray meets room 0's ceiling from its back.
    const Vector4 aboveRoom{2, 4, 2, 0};
    EXPECT_TRUE(map->getBoundingBox().contains(aboveRoom));
    EXPECT_FALSE(map->sector(0).containsPoint(aboveRoom));
    EXPECT_EQ(found(aboveRoom), -1);
}

TEST_F(SectorContains, PointOutsideTheMapBoxFindsNothing) {
    EXPECT_EQ(found({100, 1, 2, 0}), -1);
    EXPECT_EQ(found({2, 1, -3, 0}), -1);
}

TEST_F(MapTest, SectorWithoutFacesHoldsNoPoint) {
    OtmMap plain;
    plain.sectors.resize(1);
    ASSERT_EQ(load(plain), "");
    EXPECT_FALSE(map->sector(0).containsPoint({0, 0, 0, 0}));
    EXPECT_EQ(map->findSector({0, 0, 0, 0}), nullptr);
}

TEST_F(MapTest, OverlappingSectorsFindTheFirstInIndexOrder) {
    OtmMap plain;
    plain.sectors = {boxSector({0, 0, 0, 0}, {4, 3, 4, 0}), boxSector({0, 0, 0, 0}, {4, 3, 4, 0})};
    ASSERT_EQ(load(plain), "");
    EXPECT_EQ(map->findSector({1, 1, 1, 0}), &map->sector(0));
    EXPECT_TRUE(map->sector(1).containsPoint({1, 1, 1, 0}));
}

TEST_F(MapTest, InstanceAddedToASectorListsBothWays) {
    OtmMap plain;
    plain.sectors = {boxSector({0, 0, 0, 0}, {4, 3, 4, 0}), boxSector({4, 0, 0, 0}, {8, 3, 4, 0})};
    ASSERT_EQ(load(plain), "");
    DynamicMesh mesh("none.msh", &textures, &techniques);
    MeshInstance first(mesh, nullptr), second(mesh, nullptr);
    map->sector(1).addInstance(first);
    map->sector(1).addInstance(second);
    map->sector(0).addInstance(first);
    EXPECT_EQ(map->sector(1).instances(), (std::vector<MeshInstance*>{&first, &second}));
    EXPECT_EQ(first.sectors(), (std::vector<Sector*>{&map->sector(1), &map->sector(0)}));
    EXPECT_EQ(second.sectors(), (std::vector<Sector*>{&map->sector(1)}));
}

// Rooms 4 long, 3 high and 4 wide, the door 2 high and 1 wide in the middle. A light in
// the first room above the door's top shines into the second only downwards and no
// wider than the door lets it.
TEST_F(PortalWalk, LightOutsideASectorReachesOnlyTheFacesSeenThroughItsDoor) {
    loadChain(2);
    const Mesh& mesh = map->sector(1).staticMesh();
    FaceList faces;
    for (int i = 0; i < mesh.faceCount(); ++i) faces.push_back(&mesh.face(i));
    FaceList kept;
    ASSERT_TRUE(facesThroughOpenings(map->sector(1), {2, 2.5f, 2, 0}, faces, kept));
    const auto keeps = [&](const Vector4& normal) {
        return std::any_of(kept.begin(), kept.end(), [&](const MeshFace* face) {
            return dot3(face->plane.normal, normal) > 0.99f;
        });
    };
    EXPECT_TRUE(keeps({0, 1, 0, 0}));    // the floor
    EXPECT_TRUE(keeps({-1, 0, 0, 0}));   // the far wall
    EXPECT_FALSE(keeps({0, -1, 0, 0}));  // the ceiling
    EXPECT_FALSE(keeps({0, 0, 1, 0}));   // the side walls
    EXPECT_FALSE(keeps({0, 0, -1, 0}));
}

}  // namespace
}  // namespace arvel::test
