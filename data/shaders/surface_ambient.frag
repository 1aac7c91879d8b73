// Ambient stage of every surface: the ambient light times the diffuse texture.
uniform sampler2D texture0;  // diffuse

void main()
{
    vec4 diffuse = texture2D(texture0, gl_TexCoord[0].xy);
    gl_FragColor = vec4(gl_Color.rgb * diffuse.rgb, diffuse.a);
}
