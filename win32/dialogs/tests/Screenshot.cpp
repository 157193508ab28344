#include "Screenshot.h"

#include <wincodec.h>

#include <vector>

namespace qx::win::testing {
namespace {

template <class T>
struct Released {
  T* p = nullptr;
  ~Released() {
    if (p != nullptr) p->Release();
  }
  T** operator&() { return &p; }
  T* operator->() const { return p; }
};

}  // namespace

std::wstring ScreenshotFile(const std::wstring& name) {
  const std::string folder = QX_SCREENSHOTS;
  CreateDirectoryA(folder.c_str(), nullptr);
  return std::wstring(folder.begin(), folder.end()) + L"/" + name + L".png";
}

bool SaveWindowPng(HWND window, const std::wstring& path) {
  // Painted as it is now, not as it was at the last pass of the loop: a
  // window just shown paints once its messages have run.
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
  for (int round = 0; round < 5; ++round) {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    GdiFlush();
    Sleep(30);
  }
  RECT frame{};
  if (!GetWindowRect(window, &frame)) return false;
  return SaveScreenPng(frame, path);
}

bool SaveScreenPng(const RECT& frame, const std::wstring& path) {
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  if (width <= 0 || height <= 0) return false;

  // Copied from the screen, as the user sees it.
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP picture = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = picture != nullptr;
  if (ok) {
    HGDIOBJ old = SelectObject(memory, picture);
    ok = BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY) != FALSE;
    SelectObject(memory, old);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!ok) {
    if (picture != nullptr) DeleteObject(picture);
    return false;
  }
  // Blue, green, red, then an opaque alpha, as the PNG encoder takes them.
  const UINT stride = static_cast<UINT>(width) * 4;
  auto* pixels = static_cast<BYTE*>(bits);
  for (std::size_t i = 3; i < static_cast<std::size_t>(stride) * static_cast<UINT>(height); i += 4)
    pixels[i] = 0xFF;

  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  {
    Released<IWICImagingFactory> factory;
    Released<IWICStream> stream;
    Released<IWICBitmapEncoder> encoder;
    Released<IWICBitmapFrameEncode> frameEncode;
    Released<IPropertyBag2> properties;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    ok = SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))) &&
         SUCCEEDED(factory->CreateStream(&stream)) &&
         SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
         SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
         SUCCEEDED(encoder->Initialize(stream.p, WICBitmapEncoderNoCache)) &&
         SUCCEEDED(encoder->CreateNewFrame(&frameEncode, &properties)) &&
         SUCCEEDED(frameEncode->Initialize(properties.p)) &&
         SUCCEEDED(frameEncode->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))) &&
         SUCCEEDED(frameEncode->SetPixelFormat(&format));
    if (ok) {
      std::vector<BYTE> converted;
      BYTE* source = pixels;
      UINT sourceStride = stride;
      if (IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
        // The encoder wants three bytes a pixel.
        sourceStride = (static_cast<UINT>(width) * 3 + 3) & ~3u;
        converted.resize(static_cast<std::size_t>(sourceStride) * static_cast<UINT>(height));
        for (int y = 0; y < height; ++y) {
          for (int x = 0; x < width; ++x) {
            const BYTE* from = pixels + y * stride + x * 4;
            BYTE* to = converted.data() + y * sourceStride + x * 3;
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
          }
        }
        source = converted.data();
      } else if (!IsEqualGUID(format, GUID_WICPixelFormat32bppBGRA)) {
        ok = false;
      }
      ok = ok &&
           SUCCEEDED(frameEncode->WritePixels(static_cast<UINT>(height), sourceStride,
                                              sourceStride * static_cast<UINT>(height), source)) &&
           SUCCEEDED(frameEncode->Commit()) && SUCCEEDED(encoder->Commit());
    }
  }
  if (SUCCEEDED(init)) CoUninitialize();
  DeleteObject(picture);
  return ok;
}

}  // namespace qx::win::testing
