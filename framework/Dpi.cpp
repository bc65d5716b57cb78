#include "framework/Dpi.h"

namespace {

int g_nLayoutDpi = 0;

template <class Function>
Function User32Function(const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

// SystemParametersInfo for a DPI; false where the system cannot answer for one.
bool SystemParametersForDpi(UINT action, UINT size, void* value, int dpi)
{
    using Function = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
    static const auto forDpi = User32Function<Function>("SystemParametersInfoForDpi");
    return forDpi && forDpi(action, size, value, 0, static_cast<UINT>(dpi));
}

} // namespace

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

int WindowDpi(HWND hWnd)
{
    using Function = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = User32Function<Function>("GetDpiForWindow");
    const int dpi = getDpiForWindow && hWnd ? static_cast<int>(getDpiForWindow(hWnd)) : 0;
    return dpi > 0 ? dpi : SystemDpi();
}

int LayoutDpi()
{
    return g_nLayoutDpi > 0 ? g_nLayoutDpi : SystemDpi();
}

void SetLayoutDpi(int dpi)
{
    g_nLayoutDpi = dpi;
}

int ScaleToDpi(int pixels)
{
    return MulDiv(pixels, LayoutDpi(), 96);
}

int SystemMetricForDpi(int index, int dpi)
{
    using Function = int(WINAPI*)(int, UINT);
    static const auto forDpi = User32Function<Function>("GetSystemMetricsForDpi");
    if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
    return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

LOGFONTW IconTitleFontForDpi(int dpi)
{
    LOGFONTW font{};
    if (SystemParametersForDpi(SPI_GETICONTITLELOGFONT, sizeof(font), &font, dpi)) return font;
    SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0);
    font.lfHeight = MulDiv(font.lfHeight, dpi, SystemDpi());
    return font;
}

LOGFONTW StatusFontForDpi(int dpi)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, dpi)) return metrics.lfStatusFont;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    metrics.lfStatusFont.lfHeight = MulDiv(metrics.lfStatusFont.lfHeight, dpi, SystemDpi());
    return metrics.lfStatusFont;
}
