!!ARBfp1.0
# Light stage of normal-mapped surfaces in ARB assembly (point_light.frag with
# normal_map.glsl in GLSL): the normal comes from the tangent-space normal map (unit 1).
# A black texel, which is what a unit without a texture reads, counts as flat, so a
# material without a normal map is lit by its surface normal.
PARAM flat = { 0.0, 0.0, 1.0, 0.0 };
PARAM tiny = { 1.0e-12, 1.0e-12, 1.0e-12, 1.0e-12 };
TEMP toLight, texel, normal, lengths, inverse, degenerate, n, l, shade, diffuse;
MOV toLight, fragment.texcoord[1];
TEX texel, fragment.texcoord[0], texture[1], 2D;
MAD normal.xyz, texel, 2.0, -1.0;
DP3 lengths.x, normal, normal;
DP3 lengths.y, toLight, toLight;
DP3 lengths.z, texel, texel;
RSQ inverse.x, lengths.x;
RSQ inverse.y, lengths.y;
SUB degenerate, tiny, lengths;  # negative where a vector is long enough to normalise
MUL n.xyz, normal, inverse.x;
CMP n.xyz, degenerate.x, n, flat;
CMP n.xyz, degenerate.z, n, flat;
MUL l.xyz, toLight, inverse.y;
CMP l.xyz, degenerate.y, l, n;
DP3 shade.x, n, l;
MAX shade.x, shade.x, 0.0;
RCP shade.y, inverse.y;  # the distance in outer radii (0 when the light is on the surface)
SUB_SAT shade.y, 1.0, shade.y;
MUL shade.x, shade.x, shade.y;
TEX diffuse, fragment.texcoord[0], texture[0], 2D;
MUL diffuse.xyz, fragment.texcoord[3], diffuse;  # the light's colour
MUL result.color.xyz, diffuse, shade.x;
MOV result.color.w, 1.0;
END
