// Shader programs on the device, for the effects (our own GLSL in place of
// compiled effect binaries). A program replaces the fixed-function pipeline for
// the draws made while it is in use; it reads the same vertex attributes
// (a_Position, a_Normal, a_Diffuse, a_Specular, a_TexCoord0..a_TexCoord7, laid
// out by the FVF) and samples the device's stage textures through the sampler
// uniforms bound to stage numbers. Its vertex shader writes gl_Position in
// Direct3D's clip space (z from 0 to w, y up); the device converts it.
//
// The null back-end keeps programs as empty records (its effects record their
// parameters and passes in the device's call record), so effects behave the
// same on both back-ends.
#pragma once

#include "platform/gfx/D3D9.h"

#include <string>

namespace gfx
{
class Program;

// Null with the reasons in *log when the sources do not compile or link.
Program* CreateProgram(IDirect3DDevice9* device, const std::string& vertexSource, const std::string& fragmentSource,
                       std::string* log);
void DestroyProgram(IDirect3DDevice9* device, Program* program);
// The program the next draws use; null goes back to fixed function.
void UseProgram(IDirect3DDevice9* device, Program* program);
// Uniform values, applied at the next draw with the program. count is the
// number of floats (or ints); names the program lacks are ignored.
void SetProgramFloats(Program* program, const std::string& name, const float* values, int count);
void SetProgramInt(Program* program, const std::string& name, int value);
} // namespace gfx
