// GDI+ through its flat interface, taken at run time from the system's gdiplus.dll:
// the launcher needs it only to decode a splash image, so a launch without one never
// loads it.
#pragma once

#include <windows.h>

namespace jl::gdiplus {

using Status = int;  // 0 is Ok
struct Image;
struct Graphics;
struct ImageAttributes;

constexpr int kInterpolationHighQualityBicubic = 7;
constexpr int kWrapModeTileFlipXY = 3;
constexpr int kUnitPixel = 2;

struct Api {
    Status(WINAPI* createBitmapFromFile)(const WCHAR* path, Image** image);
    Status(WINAPI* getImageWidth)(Image* image, UINT* width);
    Status(WINAPI* getImageHeight)(Image* image, UINT* height);
    Status(WINAPI* disposeImage)(Image* image);
    Status(WINAPI* createFromHdc)(HDC dc, Graphics** graphics);
    Status(WINAPI* setInterpolationMode)(Graphics* graphics, int mode);
    Status(WINAPI* deleteGraphics)(Graphics* graphics);
    Status(WINAPI* createImageAttributes)(ImageAttributes** attributes);
    Status(WINAPI* setImageAttributesWrapMode)(ImageAttributes* attributes, int wrap, DWORD argb, BOOL clamp);
    Status(WINAPI* disposeImageAttributes)(ImageAttributes* attributes);
    Status(WINAPI* drawImageRectRectI)(Graphics* graphics, Image* image, INT dstX, INT dstY, INT dstWidth,
                                       INT dstHeight, INT srcX, INT srcY, INT srcWidth, INT srcHeight, int srcUnit,
                                       const ImageAttributes* attributes, void* abortCallback, void* callbackData);
};

// One stretch of work with GDI+. The first session of the process loads and starts it
// (once, whichever threads get there together); it is shut down when the process
// exits, but never while a session is open on another thread.
class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Null when GDI+ could not be loaded or started.
    const Api* api() const { return api_; }

private:
    const Api* api_ = nullptr;
};

}  // namespace jl::gdiplus
