#include "app/log.h"

C_Log::C_Log(const std::string& fileName) : m_FileName(fileName) {}

C_Log g_Log("log.txt");
