# The annex: a level modelled in Blender through its Python API and exported with
# Blender's own glTF exporter, as a level maker would by hand. Three rooms (a hall with
# a crate, a gallery to the east, a niche to the north), two doorways with portals, a
# static and a dynamic light, a brick material with a normal map, the creature's place
# and the camera's start.
#
#   blender -b --factory-startup --python data/levels/annex.py -- annex.glb [--broken-portal]
#   arvel-level annex.glb build/data/annex.otm
#
# --broken-portal moves the hall's east portal onto a solid wall (a test of the
# compiler's messages). In Blender itself: the objects are ordinary meshes, empties,
# lights and a camera; see docs/levels.md, "Levels from Blender".
import math
import os
import sys
import tempfile

import bpy

args = sys.argv[sys.argv.index("--") + 1:] if "--" in sys.argv else []
if not args:
    raise SystemExit("usage: blender -b --python annex.py -- OUTPUT.glb [--broken-portal]")
output = os.path.abspath(args[0])
broken_portal = "--broken-portal" in args

bpy.ops.wm.read_factory_settings(use_empty=True)
scene = bpy.context.scene
images_dir = tempfile.mkdtemp(prefix="annex-images-")


# --- Textures: bricks and their normal map, drawn here so the script needs no files.
def brick_height(x, y, size):
    row = y * 8 // size
    shift = (size // 8) if row % 2 else 0
    bx = (x + shift) % (size // 2)
    by = y % (size // 8)
    mortar = 2
    return 0.0 if bx < mortar or by < mortar else 1.0


def save_image(name, size, pixel):
    image = bpy.data.images.new(name, size, size, alpha=False)
    values = []
    # Blender's pixel rows run from the bottom.
    for y in range(size):
        for x in range(size):
            values.extend(pixel(x, size - 1 - y))
    image.pixels = values
    image.filepath_raw = os.path.join(images_dir, name + ".png")
    image.file_format = "PNG"
    image.save()
    return image


SIZE = 128


def brick_colour(x, y):
    h = brick_height(x, y, SIZE)
    shade = 0.75 + 0.25 * (((x * 7 + y * 13) % 17) / 17.0)
    return (0.62 * shade, 0.32 * shade, 0.22 * shade, 1.0) if h else (0.55, 0.53, 0.5, 1.0)


def brick_normal(x, y):
    dx = brick_height((x + 1) % SIZE, y, SIZE) - brick_height((x - 1) % SIZE, y, SIZE)
    dy = brick_height(x, (y - 1) % SIZE, SIZE) - brick_height(x, (y + 1) % SIZE, SIZE)
    n = (-dx * 0.5, -dy * 0.5, 1.0)
    length = math.sqrt(sum(c * c for c in n))
    return tuple(c / length * 0.5 + 0.5 for c in n) + (1.0,)


bricks = save_image("bricks", SIZE, brick_colour)
bricks_normal = save_image("bricks_normal", SIZE, brick_normal)
bricks_normal.colorspace_settings.name = "Non-Color"

brick = bpy.data.materials.new("brick")
brick.use_nodes = True
nodes, links = brick.node_tree.nodes, brick.node_tree.links
bsdf = nodes["Principled BSDF"]
colour_node = nodes.new("ShaderNodeTexImage")
colour_node.image = bricks
links.new(colour_node.outputs["Color"], bsdf.inputs["Base Color"])
normal_image = nodes.new("ShaderNodeTexImage")
normal_image.image = bricks_normal
normal_map = nodes.new("ShaderNodeNormalMap")
links.new(normal_image.outputs["Color"], normal_map.inputs["Color"])
links.new(normal_map.outputs["Normal"], bsdf.inputs["Normal"])

plaster = bpy.data.materials.new("plaster")
plaster.diffuse_color = (0.8, 0.8, 0.75, 1.0)


# --- Geometry. Rooms are boxes seen from inside (faces wound towards the room), each
# side cut around its doorways; texture coordinates repeat every 2 m.
def rectangle_minus_holes(lo, hi, holes):
    """Splits the rectangle lo..hi (2D) around holes into rectangles."""
    pieces = [(lo, hi)]
    for hole_lo, hole_hi in holes:
        next_pieces = []
        for (a, b) in pieces:
            if hole_hi[0] <= a[0] or hole_lo[0] >= b[0] or hole_hi[1] <= a[1] or hole_lo[1] >= b[1]:
                next_pieces.append((a, b))
                continue
            if hole_lo[0] > a[0]:
                next_pieces.append((a, (hole_lo[0], b[1])))
            if hole_hi[0] < b[0]:
                next_pieces.append(((hole_hi[0], a[1]), b))
            x0, x1 = max(a[0], hole_lo[0]), min(b[0], hole_hi[0])
            if hole_lo[1] > a[1]:
                next_pieces.append(((x0, a[1]), (x1, hole_lo[1])))
            if hole_hi[1] < b[1]:
                next_pieces.append(((x0, hole_hi[1]), (x1, b[1])))
        pieces = next_pieces
    return pieces


def add_mesh(name, quads, material_of, parent):
    """quads: lists of four 3D corners, wound counter-clockwise seen from their front."""
    vertices, faces, uvs, materials = [], [], [], []
    for corners, material in quads:
        base = len(vertices)
        vertices.extend(corners)
        faces.append([base, base + 1, base + 2, base + 3])
        materials.append(material)
    mesh = bpy.data.meshes.new(name)
    mesh.from_pydata(vertices, [], faces)
    mesh.materials.append(brick)
    mesh.materials.append(plaster)
    uv = mesh.uv_layers.new(name="UVMap")
    for polygon, material in zip(mesh.polygons, materials):
        polygon.material_index = 0 if material == "brick" else 1
        n = polygon.normal
        for loop in polygon.loop_indices:
            p = mesh.vertices[mesh.loops[loop].vertex_index].co
            if abs(n.z) > 0.5:
                u, v = p.x, p.y
            else:
                u, v = (p.x if abs(n.y) > 0.5 else p.y), p.z
            uv.data[loop].uv = (u / 2.0, v / 2.0)
    mesh.update()
    obj = bpy.data.objects.new(name, mesh)
    scene.collection.objects.link(obj)
    obj.parent = parent
    return obj


def quad(axis, c, lo, hi, towards_positive):
    """The rectangle axis = c spanning lo..hi on the other two axes (in x, y, z order),
    wound to face +axis when towards_positive."""
    u_axis, v_axis = [a for a in range(3) if a != axis]

    def point(u, v):
        p = [0.0, 0.0, 0.0]
        p[axis], p[u_axis], p[v_axis] = c, u, v
        return tuple(p)

    corners = [point(lo[0], lo[1]), point(hi[0], lo[1]), point(hi[0], hi[1]), point(lo[0], hi[1])]
    e1 = [corners[1][i] - corners[0][i] for i in range(3)]
    e2 = [corners[3][i] - corners[0][i] for i in range(3)]
    normal_axis = e1[(axis + 1) % 3] * e2[(axis + 2) % 3] - e1[(axis + 2) % 3] * e2[(axis + 1) % 3]
    if (normal_axis > 0) != towards_positive:
        corners.reverse()
    return corners


def room(name, lo, hi, doors, parent):
    """doors: (axis, coordinate, lo, hi) rectangles on the room's sides."""
    quads = []
    for axis in range(3):
        for side, c in ((0, lo[axis]), (1, hi[axis])):
            others = [a for a in range(3) if a != axis]
            rect_lo = (lo[others[0]], lo[others[1]])
            rect_hi = (hi[others[0]], hi[others[1]])
            holes = [((d[2][others[0]], d[2][others[1]]), (d[3][others[0]], d[3][others[1]]))
                     for d in doors if d[0] == axis and abs(d[1] - c) < 1e-6]
            material = "brick" if axis != 2 else "plaster"
            for a, b in rectangle_minus_holes(rect_lo, rect_hi, holes):
                # Seen from inside: the low side faces +axis, the high side -axis.
                quads.append((quad(axis, c, a, b, side == 0), material))
    return add_mesh(name + "_walls", quads, None, parent)


def crate(name, lo, hi, parent):
    quads = []
    for axis in range(3):
        others = [a for a in range(3) if a != axis]
        a = (lo[others[0]], lo[others[1]])
        b = (hi[others[0]], hi[others[1]])
        quads.append((quad(axis, lo[axis], a, b, False), "plaster"))
        quads.append((quad(axis, hi[axis], a, b, True), "plaster"))
    return add_mesh(name, quads, None, parent)


def sector(name):
    empty = bpy.data.objects.new("sector:" + name, None)
    scene.collection.objects.link(empty)
    return empty


def portal(name, corners):
    mesh = bpy.data.meshes.new(name)
    mesh.from_pydata(corners, [], [[0, 1, 2, 3]])
    obj = bpy.data.objects.new(name, mesh)
    scene.collection.objects.link(obj)
    return obj


# Blender's axes: x east, y north, z up, metres.
east_door = (0, 8.0, (8.0, 2.25, 0.0), (8.0, 3.75, 2.5))
north_door = (1, 6.0, (2.75, 6.0, 0.0), (4.25, 6.0, 2.5))

hall = sector("hall")
room("hall", (0.0, 0.0, 0.0), (8.0, 6.0, 4.0), [east_door, north_door], hall)
crate("crate", (1.5, 1.5, 0.0), (2.5, 2.5, 1.0), hall)

gallery = sector("gallery")
room("gallery", (8.0, 0.0, 0.0), (14.0, 6.0, 3.5), [east_door], gallery)

niche = sector("niche")
room("niche", (1.0, 6.0, 0.0), (6.0, 10.0, 3.0), [north_door], niche)

if broken_portal:
    # On the hall's solid south wall: it covers no opening.
    portal("portal:hall:gallery", [(3.0, 0.0, 0.0), (4.5, 0.0, 0.0), (4.5, 0.0, 2.5), (3.0, 0.0, 2.5)])
else:
    portal("portal:hall:gallery", [(8.0, 2.25, 0.0), (8.0, 3.75, 0.0), (8.0, 3.75, 2.5), (8.0, 2.25, 2.5)])
portal("portal:hall:niche", [(2.75, 6.0, 0.0), (4.25, 6.0, 0.0), (4.25, 6.0, 2.5), (2.75, 6.0, 2.5)])


def light(name, location, colour, reach, static):
    data = bpy.data.lights.new(name, "POINT")
    data.color = colour
    data.energy = 1000.0
    # Exported as the glTF light's range: the light's outer radius.
    data.use_custom_distance = True
    data.cutoff_distance = reach
    obj = bpy.data.objects.new(name, data)
    obj.location = location
    obj["inner"] = 0.1
    obj["static"] = static
    scene.collection.objects.link(obj)
    return obj


light("hall lamp", (5.0, 3.5, 3.2), (1.0, 0.9, 0.75), 11.0, True)
light("gallery lamp", (11.5, 2.0, 2.6), (0.7, 0.8, 1.0), 8.0, False)

# The creature stands on the gallery's floor facing west (Blender -x after turning).
creature = bpy.data.objects.new("mesh:test.msh", None)
creature.location = (11.0, 4.0, 0.0)
creature.rotation_euler = (0.0, 0.0, math.radians(90.0))
creature["animation"] = 0
scene.collection.objects.link(creature)

camera = bpy.data.objects.new("start", bpy.data.cameras.new("start"))
camera.location = (0.8, 0.8, 1.8)
# Looking north-east across the hall towards the gallery's door.
camera.rotation_euler = (math.radians(85.0), 0.0, math.radians(-60.0))
scene.collection.objects.link(camera)

bpy.ops.export_scene.gltf(filepath=output, export_format="GLB", export_extras=True,
                          export_lights=True, export_cameras=True, export_apply=True)
print("annex: wrote", output)
