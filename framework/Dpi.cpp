#include "framework/Dpi.h"

int SystemDpi()
{
    static const int dpi = [] {
        HDC screen = GetDC(nullptr);
        const int value = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
        if (screen) ReleaseDC(nullptr, screen);
        return value > 0 ? value : 96;
    }();
    return dpi;
}

int ScaleToDpi(int pixels)
{
    return MulDiv(pixels, SystemDpi(), 96);
}
