#include "app/log.h"

DiagnosticListener g_DiagnosticListener = nullptr;
