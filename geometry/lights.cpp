// The three light records of the lit parts and their upload to GL lights.
#include "gl/gl_api.h"

#include "geometry/draw.h"

LightRecord light_records[3];

void set_light(LightRecord record, int32_t n)
{
    const GLenum light = GLenum(GL_LIGHT0 + n);
    glLightfv(light, GL_CONSTANT_ATTENUATION, &record.constant_attenuation);
    glLightfv(light, GL_LINEAR_ATTENUATION, &record.linear_attenuation);
    glLightfv(light, GL_QUADRATIC_ATTENUATION, &record.quadratic_attenuation);
    glLightfv(light, GL_POSITION, record.position);
    glLightfv(light, GL_DIFFUSE, record.colour);
    glLightfv(light, GL_AMBIENT, record.colour);
    glLightfv(light, GL_SPECULAR, record.colour);
    glEnable(light);
}
