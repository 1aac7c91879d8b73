# Builds a rigged, animated tube in an empty scene and exports it with Blender's own
# glTF exporter, the way an artist's model reaches arvel-import.
#   blender -b --factory-startup --python animated_model.py -- OUT.glb
#       [--bones N] [--influences K] [--texture] [--placed]
# The tube stands along Blender's Z (up) on a chain of N bones; each vertex is weighted
# over the K bones nearest to it (two: a linear blend between neighbours). Two actions,
# "Bend" (1.5 s) and "Twist" (1 s), each in its own NLA track, become two animations.
# --texture gives the tube a material with a small image, which the .glb embeds.
# --placed moves, turns and doubles the armature object (the tube with it), as rigs
# often stand in a scene; the exporter keeps that on the armature's node.
import math
import sys

import bpy

SEGMENT = 1.0  # bone length, metres
RADIUS = 0.3
RINGS_PER_BONE = 4
SIDES = 8
FPS = 24


def arguments():
    argv = sys.argv[sys.argv.index("--") + 1:] if "--" in sys.argv else []
    options = {"output": None, "bones": 5, "influences": 2, "texture": False, "placed": False}
    i = 0
    while i < len(argv):
        arg = argv[i]
        if arg in ("--bones", "--influences") and i + 1 < len(argv):
            if not argv[i + 1].isdigit():
                raise SystemExit("animated_model.py: %s needs a count, not %r"
                                 % (arg, argv[i + 1]))
            options[arg[2:]] = int(argv[i + 1])
            i += 2
        elif arg in ("--texture", "--placed"):
            options[arg[2:]] = True
            i += 1
        elif not arg.startswith("--") and options["output"] is None:
            options["output"] = arg
            i += 1
        else:
            raise SystemExit("animated_model.py: unknown argument " + arg)
    if options["output"] is None or options["bones"] < 1 or options["influences"] < 1:
        raise SystemExit("usage: animated_model.py -- OUT.glb [--bones N] [--influences K] "
                         "[--texture] [--placed]")
    return options


def empty_scene():
    bpy.ops.wm.read_factory_settings(use_empty=True)
    scene = bpy.context.scene
    scene.render.fps = FPS
    return scene


def build_armature(scene, bones):
    data = bpy.data.armatures.new("Spine")
    rig = bpy.data.objects.new("Rig", data)
    scene.collection.objects.link(rig)
    bpy.context.view_layer.objects.active = rig
    bpy.ops.object.mode_set(mode="EDIT")
    parent = None
    for i in range(bones):
        bone = data.edit_bones.new("Bone%02d" % i)
        bone.head = (0, 0, i * SEGMENT)
        bone.tail = (0, 0, (i + 1) * SEGMENT)
        if parent:
            bone.parent = parent
            bone.use_connect = True
        parent = bone
    bpy.ops.object.mode_set(mode="OBJECT")
    return rig


def build_tube(scene, bones):
    rings = bones * RINGS_PER_BONE + 1
    height = bones * SEGMENT
    vertices, faces = [], []
    for r in range(rings):
        z = height * r / (rings - 1)
        for s in range(SIDES):
            a = 2 * math.pi * s / SIDES
            vertices.append((RADIUS * math.cos(a), RADIUS * math.sin(a), z))
    for r in range(rings - 1):
        for s in range(SIDES):
            a, b = r * SIDES + s, r * SIDES + (s + 1) % SIDES
            faces.append((a, b, b + SIDES, a + SIDES))
    # Caps close the tube.
    faces.append(tuple(reversed(range(SIDES))))
    faces.append(tuple((rings - 1) * SIDES + s for s in range(SIDES)))
    mesh = bpy.data.meshes.new("Tube")
    mesh.from_pydata(vertices, [], faces)
    mesh.update()
    tube = bpy.data.objects.new("Tube", mesh)
    scene.collection.objects.link(tube)
    return tube


def weigh(tube, rig, bones, influences):
    groups = [tube.vertex_groups.new(name="Bone%02d" % i) for i in range(bones)]
    for vertex in tube.data.vertices:
        z = vertex.co.z / SEGMENT
        if influences <= 2:
            # A linear blend between the centres of the two bones around the vertex.
            t = min(max(z - 0.5, 0.0), bones - 1.0)
            low = min(int(t), bones - 1)
            high = min(low + 1, bones - 1)
            f = t - low
            weights = {low: 1.0 - f}
            weights[high] = weights.get(high, 0.0) + f
        else:
            # The nearest bones, by a falloff wide enough to reach them all.
            nearest = sorted(range(bones), key=lambda b: abs(b + 0.5 - z))[:influences]
            weights = {b: math.exp(-0.5 * ((b + 0.5 - z) / 1.5) ** 2) for b in nearest}
        for b, w in weights.items():
            if w > 0:
                groups[b].add([vertex.index], w, "REPLACE")
    tube.parent = rig
    modifier = tube.modifiers.new("Armature", "ARMATURE")
    modifier.object = rig


def texture(tube):
    image = bpy.data.images.new("Stripes", 8, 8)
    pixels = []
    for y in range(8):
        for x in range(8):
            pixels += [1.0, 0.5, 0.1, 1.0] if (y // 2) % 2 else [0.2, 0.2, 0.8, 1.0]
    image.pixels = pixels
    image.pack()
    material = bpy.data.materials.new("Skin")
    material.use_nodes = True
    nodes = material.node_tree.nodes
    node = nodes.new("ShaderNodeTexImage")
    node.image = image
    material.node_tree.links.new(node.outputs["Color"], nodes["Principled BSDF"].inputs[0])
    tube.data.materials.append(material)


def key_action(rig, name, frames, pose):
    """Keys every bone's rotation at every fourth frame; pose(bone, phase) gives the
    rotation (axis, angle) of bone at phase 0..1."""
    action = bpy.data.actions.new(name)
    rig.animation_data.action = action
    for frame in range(1, frames + 2, 4):
        phase = (frame - 1) / frames
        for i, bone in enumerate(rig.pose.bones):
            axis, angle = pose(i, phase)
            bone.rotation_mode = "QUATERNION"
            bone.rotation_quaternion = axis_angle(axis, angle)
            bone.keyframe_insert("rotation_quaternion", frame=frame, group=bone.name)
    track = rig.animation_data.nla_tracks.new()
    track.name = name
    track.strips.new(name, 1, action)
    rig.animation_data.action = None


def axis_angle(axis, angle):
    s = math.sin(angle / 2)
    return (math.cos(angle / 2), axis[0] * s, axis[1] * s, axis[2] * s)


def main():
    options = arguments()
    scene = empty_scene()
    bones = options["bones"]
    rig = build_armature(scene, bones)
    tube = build_tube(scene, bones)
    weigh(tube, rig, bones, options["influences"])
    if options["texture"]:
        texture(tube)
    if options["placed"]:
        rig.location = (1.0, -2.0, 0.5)
        rig.rotation_euler = (0.0, 0.0, math.radians(30))
        rig.scale = (2.0, 2.0, 2.0)
    rig.animation_data_create()
    # Bones bend about their own X (sideways), then twist about their own Y (along the
    # bone) while swaying about Z: a second action of another length.
    key_action(rig, "Bend", int(1.5 * FPS),
               lambda i, p: ((1, 0, 0), 0.5 * math.sin(2 * math.pi * p + 0.6 * i)))
    key_action(rig, "Twist", 1 * FPS,
               lambda i, p: ((0, 0.8, 0.6), 0.7 * math.sin(2 * math.pi * p) * (i + 1) / bones))
    scene.frame_start, scene.frame_end = 1, int(1.5 * FPS) + 1
    bpy.ops.export_scene.gltf(filepath=options["output"], export_format="GLB",
                              export_skins=True, export_animations=True,
                              export_all_influences=options["influences"] > 4,
                              export_yup=True)


main()
