// Light stage of every surface: the vector to the light measured in outer radii (so
// its length is 1 where the light ends) and the frame the fragment program lights in.
// ftransform() keeps depths identical to the ambient stage, which the light stage's
// depth test and the shadow volumes rely on.
uniform vec4 lightPosition;  // LIGHT_OBJECTSPACE
uniform vec4 lightData;      // LIGHT_DATA: 0.5 / outer radius, red, green, blue

void main()
{
    gl_Position = ftransform();
    gl_TexCoord[0] = gl_MultiTexCoord0;
    vec3 toLight = (lightPosition.xyz - gl_Vertex.xyz) * (2.0 * lightData.x);
#ifdef NORMAL_MAP
    // Into tangent space, where the normal map's normals live.
    vec3 n = gl_Normal;
    vec3 t = gl_MultiTexCoord7.xyz;
    vec3 b = cross(n, t);
    gl_TexCoord[1] = vec4(dot(toLight, t), dot(toLight, b), dot(toLight, n), 0.0);
#else
    gl_TexCoord[1] = vec4(toLight, 0.0);
    gl_TexCoord[2] = vec4(gl_Normal, 0.0);
#endif
    // A texture coordinate, not the colour: GL clamps colours to 1, and a light may be
    // brighter than that.
    gl_TexCoord[3] = vec4(lightData.yzw, 1.0);
}
