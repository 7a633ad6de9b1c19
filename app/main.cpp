#include "app/demo.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*showCommand*/)
{
    int exitCode;
    {
        C_Demo demo;
        if (demo.Init())
        {
            demo.Run();
            demo.Shutdown();
        }
        exitCode = demo.m_ExitCode;
    }
    return exitCode;
}
