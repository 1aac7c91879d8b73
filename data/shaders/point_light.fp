!!ARBfp1.0
# Light stage of every surface in ARB assembly (point_light.frag in GLSL): diffuse light
# of the light's colour, falling off linearly to nothing at the outer radius, times the
# diffuse texture. Zero vectors (a degenerate normal, the light on the surface) fall
# back as in GLSL instead of turning into NaN.
PARAM flat = { 0.0, 0.0, 1.0, 0.0 };
PARAM tiny = { 1.0e-12, 1.0e-12, 1.0e-12, 1.0e-12 };
TEMP toLight, normal, lengths, inverse, degenerate, n, l, shade, diffuse;
MOV toLight, fragment.texcoord[1];
MOV normal, fragment.texcoord[2];
DP3 lengths.x, normal, normal;
DP3 lengths.y, toLight, toLight;
RSQ inverse.x, lengths.x;
RSQ inverse.y, lengths.y;
SUB degenerate, tiny, lengths;  # negative where a vector is long enough to normalise
MUL n.xyz, normal, inverse.x;
CMP n.xyz, degenerate.x, n, flat;
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
