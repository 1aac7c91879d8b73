#version 120
// Shadow volume extrusion: a vertex whose normal faces away from the light moves to
// infinity along the ray from the light (w = 0); the others stay where they are. The
// unmoved branch transforms exactly as fixed function does, so the near cap lies on
// the lit surface to the last bit.
uniform vec4 lightPosition;  // object space

void main()
{
    vec3 fromLight = gl_Vertex.xyz - lightPosition.xyz;
    if (dot(gl_Normal, fromLight) > 0.0)
        gl_Position = gl_ModelViewProjectionMatrix * vec4(fromLight, 0.0);
    else
        gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
    gl_FrontColor = gl_Color;
}
