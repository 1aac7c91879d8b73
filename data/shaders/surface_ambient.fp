!!ARBfp1.0
# Ambient stage of every surface in ARB assembly (surface_ambient.frag in GLSL): the
# ambient light times the diffuse texture (unit 0), the texture's own alpha.
TEMP diffuse;
TEX diffuse, fragment.texcoord[0], texture[0], 2D;
MUL result.color.xyz, fragment.color, diffuse;
MOV result.color.w, diffuse.w;
END
