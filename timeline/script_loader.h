// Reads the demo script into the application object.
#pragma once

#include <string>

class C_Demo;

// False when the file cannot be read or parsed, or lacks a complete "demo" element.
bool LoadScript(C_Demo& demo, std::string fileName);
