#include "reference/RayTracer.h"

#include <algorithm>
#include <cmath>

#include "reference/Bvh.h"
#include "world/FrameShape.h"

namespace arvel::reference {

void cameraAxes(const CameraPlace& camera, Vec3& right, Vec3& up, Vec3& back) {
    const double k = 0.017453292;
    const double a = camera.pitch * k, b = camera.yaw * k, c = camera.roll * k;
    const double sa = std::sin(a), ca = std::cos(a), sb = std::sin(b), cb = std::cos(b);
    const double sc = std::sin(c), cc = std::cos(c);
    // The rows of the view matrix's rotation.
    right = {sa * sb * sc + cc * cb, sc * ca, sb * cc - sa * sc * cb};
    up = {sa * sb * cc - sc * cb, cc * ca, -sb * sc - sa * cc * cb};
    back = {-sb * ca, sa, cb * ca};
}

std::array<float, 3> ReferenceImage::colour(size_t pixel, const std::vector<uint8_t>& lit) const {
    std::array<float, 3> sum{ambient[pixel], ambient[pixel], ambient[pixel]};
    for (size_t l = 0; l < lightCount(); ++l) {
        if (!lit[l]) continue;
        const float* c = lightAt(pixel, l);
        for (int k = 0; k < 3; ++k) sum[static_cast<size_t>(k)] += c[k];
    }
    for (float& v : sum) v = std::min(v, 255.0f);
    return sum;
}

namespace {

// The interpolated vertex normal, as the light stage's fragments get it.
Vec3 shadingNormal(const Triangle& t, const Hit& hit) {
    const Vec3 n = t.normal[0] * (1.0 - hit.u - hit.v) + t.normal[1] * hit.u + t.normal[2] * hit.v;
    const Vec3 unit = normalize(n);
    return length(unit) > 0.0 ? unit : Vec3{0, 0, 1};
}

}  // namespace

ReferenceImage render(const Scene& scene, const CameraPlace& camera, const RenderOptions& options) {
    ReferenceImage image;
    image.width = std::max(options.width, 0);
    image.height = std::max(options.height, 0);
    for (size_t l = 0; l < scene.lights.size(); ++l)
        if (scene.lights[l].inSector && scene.lights[l].outerRadius > 0.0)
            image.lights.push_back(static_cast<int>(l));
    const size_t pixels = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
    const size_t lightCount = image.lights.size();
    image.samples.resize(pixels);
    image.contribution.assign(pixels * lightCount * 3, 0.0f);
    image.visible.assign(pixels * lightCount, 0);
    image.ambient.assign(pixels, 0.0f);
    image.rgb.assign(pixels * 3, 0);

    const Bvh bvh(scene.triangles);
    Vec3 right, up, back;
    cameraAxes(camera, right, up, back);
    // The frame game projects for a window of this size.
    const FrameShape shape = FrameShape::ofWindow(image.width, image.height);
    const double slopeX = shape.slopeX, slopeY = shape.slopeY;

    for (int py = 0; py < image.height; ++py) {
        for (int px = 0; px < image.width; ++px) {
            const size_t pixel = static_cast<size_t>(py) * static_cast<size_t>(image.width) +
                                 static_cast<size_t>(px);
            // Camera-space direction with z = -1, so that t is the depth.
            const double x = (px + 0.5) * 2.0 / image.width - 1.0;
            const double y = 1.0 - (py + 0.5) * 2.0 / image.height;
            const Vec3 direction = right * (slopeX * x) + up * (slopeY * y) - back;
            Hit hit;
            if (!bvh.closestFront(camera.position, direction, options.nearPlane, 1e30, hit))
                continue;
            const Triangle& tri = scene.triangles[static_cast<size_t>(hit.triangle)];
            Sample& sample = image.samples[pixel];
            sample.hit = true;
            sample.object = tri.object;
            sample.depth = hit.t;
            sample.point = camera.position + direction * hit.t;
            sample.faceNormal =
                normalize(cross(tri.corner[1] - tri.corner[0], tri.corner[2] - tri.corner[0]));
            image.ambient[pixel] = static_cast<float>(options.ambient * 255.0);

            const Vec3 n = shadingNormal(tri, hit);
            for (size_t l = 0; l < lightCount; ++l) {
                const PointLight& light = scene.lights[static_cast<size_t>(image.lights[l])];
                const Vec3 toLight = light.position - sample.point;
                const double distance = length(toLight) / light.outerRadius;
                const double falloff = std::clamp(1.0 - distance, 0.0, 1.0);
                const double lambert = std::max(dot(n, normalize(toLight)), 0.0);
                const double strength = falloff * lambert;
                if (strength <= 0.0) continue;
                float* c = &image.contribution[(pixel * lightCount + l) * 3];
                for (int k = 0; k < 3; ++k)
                    c[k] = static_cast<float>(std::max(light.colour[k], 0.0) * strength * 255.0);
                // Off the surface on the light's side, so that it does not shadow itself.
                const double side = dot(sample.faceNormal, toLight) >= 0.0 ? 1.0 : -1.0;
                const Vec3 origin = sample.point + sample.faceNormal * (side * 1e-3);
                const bool blocked =
                    options.shadows &&
                    bvh.occluded(origin, light.position - origin, 1e-6, 1.0 - 1e-6);
                image.visible[pixel * lightCount + l] = blocked ? 0 : 1;
            }
            std::vector<uint8_t> lit(
                image.visible.begin() + static_cast<long>(pixel * lightCount),
                image.visible.begin() + static_cast<long>((pixel + 1) * lightCount));
            const std::array<float, 3> colour = image.colour(pixel, lit);
            for (int k = 0; k < 3; ++k)
                image.rgb[pixel * 3 + static_cast<size_t>(k)] =
                    static_cast<uint8_t>(std::lround(colour[static_cast<size_t>(k)]));
        }
    }
    return image;
}

}  // namespace arvel::reference
