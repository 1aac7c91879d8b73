#include "level/Brushes.h"

#include <algorithm>
#include <filesystem>
#include <numbers>

#include "MshReader.h"

namespace arvel::level {

namespace {

int uAxis(int axis) { return (axis + 1) % 3; }
int vAxis(int axis) { return (axis + 2) % 3; }

// A run of grid cells merged into one rectangle of a side.
struct Cell {
    size_t u0, u1, v0, v1;  // grid line indices
};

std::vector<double> sortedUnique(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end(),
                             [](double a, double b) { return std::abs(a - b) <= kEpsilon; }),
                 values.end());
    return values;
}

// The solid cells of a side's grid, merged along u into runs and then runs of equal
// extent along v, so that a side keeps few, large faces.
std::vector<Cell> solidRectangles(const std::vector<double>& us, const std::vector<double>& vs,
                                  const std::vector<Opening>& holes, int axis) {
    auto open = [&](size_t i, size_t j) {
        const double cu = (us[i] + us[i + 1]) * 0.5, cv = (vs[j] + vs[j + 1]) * 0.5;
        return std::any_of(holes.begin(), holes.end(), [&](const Opening& o) {
            return cu > o.min[uAxis(axis)] && cu < o.max[uAxis(axis)] && cv > o.min[vAxis(axis)] &&
                   cv < o.max[vAxis(axis)];
        });
    };
    std::vector<Cell> done, previous;
    for (size_t j = 0; j + 1 < vs.size(); ++j) {
        std::vector<Cell> row;
        for (size_t i = 0; i + 1 < us.size(); ++i) {
            if (open(i, j)) continue;
            if (!row.empty() && row.back().u1 == i) {
                row.back().u1 = i + 1;
            } else {
                row.push_back({i, i + 1, j, j + 1});
            }
        }
        // A run that continues one of the row below with the same extent grows it.
        for (Cell& run : row) {
            for (auto it = previous.begin(); it != previous.end(); ++it) {
                if (it->u0 == run.u0 && it->u1 == run.u1) {
                    run.v0 = it->v0;
                    previous.erase(it);
                    break;
                }
            }
        }
        done.insert(done.end(), previous.begin(), previous.end());
        previous = row;
    }
    done.insert(done.end(), previous.begin(), previous.end());
    return done;
}

// Rotation about +y by yaw degrees, around centre.
Vec3 turned(const Vec3& p, const Vec3& centre, double yaw) {
    const double a = yaw * std::numbers::pi / 180.0;
    const Vec3 d = p - centre;
    return centre +
           Vec3{d.x * std::cos(a) + d.z * std::sin(a), d.y, -d.x * std::sin(a) + d.z * std::cos(a)};
}

std::vector<Face> turnedBox(const SourceProp& prop, int shell) {
    const Vec3 half{prop.size.x * 0.5, 0.0, prop.size.z * 0.5};
    const Vec3 min{prop.position.x - half.x, prop.position.y, prop.position.z - half.z};
    const Vec3 max{prop.position.x + half.x, prop.position.y + prop.size.y,
                   prop.position.z + half.z};
    std::vector<Face> faces = blockFaces(min, max, prop.material, shell);
    for (Face& face : faces) {
        for (Vec3& p : face.points) p = turned(p, prop.position, prop.yaw);
    }
    return faces;
}

std::vector<Face> pillar(const SourceProp& prop, int shell) {
    const int n = prop.sides;
    const Vec3 base = prop.position;
    const Vec3 centre = base + Vec3{0.0, prop.height * 0.5, 0.0};
    Points bottom, top;
    for (int k = 0; k < n; ++k) {
        const double a = 2.0 * std::numbers::pi * k / n;
        const Vec3 p = turned(
            base + Vec3{prop.radius * std::cos(a), 0.0, prop.radius * std::sin(a)}, base, prop.yaw);
        bottom.push_back(p);
        top.push_back(p + Vec3{0.0, prop.height, 0.0});
    }
    std::vector<Face> faces;
    for (int k = 0; k < n; ++k) {
        const int next = (k + 1) % n;
        Points side{bottom[k], bottom[next], top[next], top[k]};
        faceAwayFrom(side, centre);
        faces.push_back({side, prop.material, shell, {}});
    }
    faceAwayFrom(bottom, centre);
    faceAwayFrom(top, centre);
    faces.push_back({bottom, prop.material, shell, {}});
    faces.push_back({top, prop.material, shell, {}});
    return faces;
}

}  // namespace

Points axisRectangle(int axis, double coordinate, const Vec3& lo, const Vec3& hi, bool facesMax) {
    const int u = uAxis(axis), v = vAxis(axis);
    Points corners(4);
    const double us[4] = {lo[u], hi[u], hi[u], lo[u]};
    const double vs[4] = {lo[v], lo[v], hi[v], hi[v]};
    for (int i = 0; i < 4; ++i) {
        corners[i][axis] = coordinate;
        corners[i][u] = us[i];
        corners[i][v] = vs[i];
    }
    // u x v is +axis, so this order faces +axis.
    if (!facesMax) std::reverse(corners.begin(), corners.end());
    return corners;
}

void faceAwayFrom(Points& polygon, const Vec3& inside) {
    if (dot(newellNormal(polygon), centroid(polygon) - inside) < 0.0) {
        std::reverse(polygon.begin(), polygon.end());
    }
}

bool openingFitsRoom(const SourceBrush& room, const Opening& opening) {
    const int axis = opening.axis;
    const double c = opening.min[axis];
    if (std::abs(c - room.min[axis]) > kEpsilon && std::abs(c - room.max[axis]) > kEpsilon) {
        return false;
    }
    for (int other : {uAxis(axis), vAxis(axis)}) {
        if (opening.min[other] < room.min[other] - kEpsilon ||
            opening.max[other] > room.max[other] + kEpsilon)
            return false;
    }
    return true;
}

std::vector<Face> roomFaces(const SourceBrush& room, const std::vector<Opening>& openings,
                            int shell) {
    std::vector<Face> faces;
    for (int side = 0; side < 6; ++side) {
        const int axis = side / 2;
        const bool atMax = side % 2 == 1;
        const double coordinate = atMax ? room.max[axis] : room.min[axis];
        int material = room.material;
        if (axis == 1 && !atMax && room.floorMaterial >= 0) material = room.floorMaterial;
        if (axis == 1 && atMax && room.ceilingMaterial >= 0) material = room.ceilingMaterial;

        const int u = uAxis(axis), v = vAxis(axis);
        std::vector<double> us{room.min[u], room.max[u]}, vs{room.min[v], room.max[v]};
        std::vector<Opening> holes;
        for (const Opening& o : openings) {
            if (o.axis != axis || std::abs(o.min[axis] - coordinate) > kEpsilon) continue;
            if (!openingFitsRoom(room, o)) continue;
            holes.push_back(o);
            us.insert(us.end(), {o.min[u], o.max[u]});
            vs.insert(vs.end(), {o.min[v], o.max[v]});
        }
        us = sortedUnique(us);
        vs = sortedUnique(vs);
        for (const Cell& cell : solidRectangles(us, vs, holes, axis)) {
            Vec3 lo, hi;
            lo[u] = us[cell.u0];
            hi[u] = us[cell.u1];
            lo[v] = vs[cell.v0];
            hi[v] = vs[cell.v1];
            // Inward: the min side faces +axis.
            faces.push_back({axisRectangle(axis, coordinate, lo, hi, !atMax), material, shell, {}});
        }
    }
    return faces;
}

std::vector<Face> blockFaces(const Vec3& min, const Vec3& max, int material, int shell) {
    std::vector<Face> faces;
    for (int side = 0; side < 6; ++side) {
        const int axis = side / 2;
        const bool atMax = side % 2 == 1;
        faces.push_back({axisRectangle(axis, atMax ? max[axis] : min[axis], min, max, atMax),
                         material,
                         shell,
                         {}});
    }
    return faces;
}

std::vector<Face> stairsFaces(const SourceBrush& stairs, int shell) {
    const int along = stairs.riseAxis;
    const int across = along == 0 ? 2 : 0;
    const int n = stairs.steps;
    const double y0 = stairs.min.y;
    const double rise = (stairs.max.y - stairs.min.y) / n;
    const double run = (stairs.max[along] - stairs.min[along]) / n;
    // Step i covers along-coordinates edge(i)..edge(i + 1) in climbing order.
    auto edge = [&](int i) {
        return stairs.riseTowardsMax ? stairs.min[along] + run * i : stairs.max[along] - run * i;
    };
    const Vec3 inside = (stairs.min + stairs.max) * 0.5;
    std::vector<Face> faces;
    auto add = [&](int axis, double coordinate, Vec3 lo, Vec3 hi, const Vec3& outside) {
        for (int a = 0; a < 3; ++a) {
            if (lo[a] > hi[a]) std::swap(lo[a], hi[a]);
        }
        Points p = axisRectangle(axis, coordinate, lo, hi, true);
        // Faces point away from the solid under them: towards the given outside point.
        if (dot(newellNormal(p), outside - centroid(p)) < 0.0) std::reverse(p.begin(), p.end());
        faces.push_back({p, stairs.material, shell, {}});
    };
    Vec3 lo = stairs.min, hi = stairs.max;
    add(1, y0, lo, hi, inside - Vec3{0.0, 1e6, 0.0});
    for (int i = 0; i < n; ++i) {
        const double top = y0 + rise * (i + 1);
        const double below = y0 + rise * i;
        Vec3 a = stairs.min, b = stairs.max;
        a[along] = edge(i);
        b[along] = edge(i + 1);
        a.y = y0;
        b.y = top;
        Vec3 up = centroid(axisRectangle(1, top, a, b, true));
        add(1, top, a, b, up + Vec3{0.0, 1.0, 0.0});
        // The riser in front of the step, from the step below up to this one.
        Vec3 r0 = a, r1 = b;
        r0.y = below;
        r1[along] = a[along];
        Vec3 front = inside;
        front[along] = edge(i) - (edge(i + 1) - edge(i));
        add(along, edge(i), r0, r1, front);
        for (int sideIndex = 0; sideIndex < 2; ++sideIndex) {
            const double c = sideIndex == 0 ? stairs.min[across] : stairs.max[across];
            Vec3 outside = inside;
            outside[across] = sideIndex == 0 ? c - 1.0 : c + 1.0;
            add(across, c, a, b, outside);
        }
    }
    // The back, as high as the top step.
    Vec3 b0 = stairs.min, b1 = stairs.max;
    b0[along] = b1[along] = edge(n);
    Vec3 behind = inside;
    behind[along] = edge(n) + (edge(n) - edge(0));
    add(along, edge(n), b0, b1, behind);
    return faces;
}

std::vector<Face> propFaces(const SourceProp& prop, const LevelSource& level, int shell) {
    switch (prop.model) {
        case PropModel::kBox:
            return turnedBox(prop, shell);
        case PropModel::kPillar:
            return pillar(prop, shell);
        case PropModel::kFile:
            break;
    }
    return importedModelFaces(prop, level, shell);
}

std::vector<Face> importedModelFaces(const SourceProp& prop, const LevelSource& level, int shell) {
    // Model files sit beside the level source.
    const std::filesystem::path file = std::filesystem::path(level.file).parent_path() / prop.file;
    content::MshFile model;
    try {
        model = content::loadMsh(file);
    } catch (const content::MshReadError& error) {
        throw level.error(prop.path + "/file", error.what());
    }
    if (!model.bones.empty() || !model.animations.empty()) {
        throw level.error(prop.path + "/file",
                          "\"" + prop.file + "\" is an animated mesh; props are static models");
    }
    std::vector<Face> faces;
    for (const content::MshTriangle& triangle : model.triangles) {
        Face face{{}, prop.material, shell, {}};
        for (int32_t vertex : triangle.vertices) {
            const auto& point = model
                                    .positions[static_cast<size_t>(
                                        model.vertices[static_cast<size_t>(vertex)].position)]
                                    .point;
            const Vec3 p{point[0] * prop.scale, point[1] * prop.scale, point[2] * prop.scale};
            face.points.push_back(turned(prop.position + p, prop.position, prop.yaw));
        }
        faces.push_back(std::move(face));
    }
    if (faces.empty())
        throw level.error(prop.path + "/file", "\"" + prop.file + "\" has no triangles");
    return faces;
}

}  // namespace arvel::level
