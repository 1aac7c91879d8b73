// Ambient stage of every surface: the constant ambient light, passed on as the colour.
uniform vec4 ambient;  // LIGHT_AMBIENT

void main()
{
    gl_Position = ftransform();
    gl_TexCoord[0] = gl_MultiTexCoord0;
    gl_FrontColor = vec4(ambient.rgb, 1.0);
}
