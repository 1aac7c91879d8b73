// Light stage of every surface: diffuse light of the light's colour, falling off
// linearly to nothing at the outer radius, times the diffuse texture.
uniform sampler2D texture0;  // diffuse
#ifdef NORMAL_MAP
uniform sampler2D texture1;  // tangent-space normals
#endif

// A zero vector (a degenerate vertex normal, a grey texel) must not turn into NaN.
vec3 safeNormalize(vec3 v, vec3 fallback)
{
    float length2 = dot(v, v);
    return length2 > 1.0e-12 ? v * inversesqrt(length2) : fallback;
}

void main()
{
    vec3 toLight = gl_TexCoord[1].xyz;
    float distance = length(toLight);
    float falloff = clamp(1.0 - distance, 0.0, 1.0);
#ifdef NORMAL_MAP
    // A black texel, which is what a unit without a texture reads, counts as flat, so a
    // material without a normal map is lit by its surface normal.
    vec3 texel = texture2D(texture1, gl_TexCoord[0].xy).xyz;
    vec3 n = dot(texel, texel) > 1.0e-12 ? safeNormalize(texel * 2.0 - 1.0, vec3(0.0, 0.0, 1.0))
                                         : vec3(0.0, 0.0, 1.0);
#else
    vec3 n = safeNormalize(gl_TexCoord[2].xyz, vec3(0.0, 0.0, 1.0));
#endif
    float lambert = max(dot(n, safeNormalize(toLight, n)), 0.0);
    vec3 diffuse = texture2D(texture0, gl_TexCoord[0].xy).rgb;
    gl_FragColor = vec4(gl_TexCoord[3].rgb * diffuse * (lambert * falloff), 1.0);
}
