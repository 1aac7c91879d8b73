#version 120
// Shadow volume extrusion: a vertex whose normal faces away from the light moves away
// from it along its ray, as far as the engine says the volume must reach (the light's
// radius with a margin for the volume's width; the far points stay where they are when
// already farther), or to infinity (w = 0) when it says 0. The others stay where they
// are: the unmoved branch transforms exactly as fixed function does, so the near cap
// lies on the lit surface to the last bit.
uniform vec4 lightPosition;  // object space
uniform vec4 extrusion;      // x: how far from the light; 0: infinitely far

void main()
{
    vec3 fromLight = gl_Vertex.xyz - lightPosition.xyz;
    if (dot(gl_Normal, fromLight) > 0.0) {
        if (extrusion.x > 0.0) {
            float scale = max(extrusion.x * inversesqrt(max(dot(fromLight, fromLight), 1.0e-12)), 1.0);
            gl_Position = gl_ModelViewProjectionMatrix * vec4(lightPosition.xyz + fromLight * scale, 1.0);
        } else {
            gl_Position = gl_ModelViewProjectionMatrix * vec4(fromLight, 0.0);
        }
    } else {
        gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
    }
    gl_FrontColor = gl_Color;
}
