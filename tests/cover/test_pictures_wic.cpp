// SPDX-License-Identifier: GPL-3.0-or-later
// The test pictures on Windows, encoded by WIC: Debian has no libpng or
// libjpeg for mingw. The files are as standard as libpng's and libjpeg's.
#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdlib>
#include <vector>

#include "cover/test_pictures.h"

using Microsoft::WRL::ComPtr;

namespace {

// Test input is always valid: any failure here is a broken test machine.
void Check(HRESULT result) {
  if (FAILED(result)) std::abort();
}

std::string Encode(const GUID& container, const WICPixelFormatGUID& format, int width, int height, int stride,
                   const std::vector<uint8_t>& pixels) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::string file;
  {
    ComPtr<IWICImagingFactory> factory;
    Check(CoCreateInstance(CLSID_WICImagingFactory1, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)));
    ComPtr<IStream> stream;
    Check(CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    ComPtr<IWICBitmapEncoder> encoder;
    Check(factory->CreateEncoder(container, nullptr, &encoder));
    Check(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache));
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    Check(encoder->CreateNewFrame(&frame, &options));
    if (container == GUID_ContainerFormatJpeg) {
      PROPBAG2 quality{};
      quality.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
      VARIANT value;
      VariantInit(&value);
      value.vt = VT_R4;
      value.fltVal = 0.95f;
      options->Write(1, &quality, &value);
    }
    Check(frame->Initialize(options.Get()));
    Check(frame->SetSize(UINT(width), UINT(height)));
    WICPixelFormatGUID accepted = format;
    Check(frame->SetPixelFormat(&accepted));
    if (accepted != format) std::abort();
    Check(frame->WritePixels(UINT(height), UINT(stride), UINT(pixels.size()), const_cast<BYTE*>(pixels.data())));
    Check(frame->Commit());
    Check(encoder->Commit());
    STATSTG stat{};
    Check(stream->Stat(&stat, STATFLAG_NONAME));
    file.resize(size_t(stat.cbSize.QuadPart));
    const LARGE_INTEGER start{};
    Check(stream->Seek(start, STREAM_SEEK_SET, nullptr));
    ULONG read = 0;
    Check(stream->Read(file.data(), ULONG(file.size()), &read));
    file.resize(read);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return file;
}

}  // namespace

std::string EncodePng(int width, int height, const PixelFn& pixel) {
  std::vector<uint8_t> bgra(size_t(width) * height * 4);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const RgbaPixel p = pixel(x, y);
      uint8_t* out = &bgra[(size_t(y) * width + x) * 4];
      out[0] = p.b, out[1] = p.g, out[2] = p.r, out[3] = p.a;
    }
  return Encode(GUID_ContainerFormatPng, GUID_WICPixelFormat32bppBGRA, width, height, width * 4, bgra);
}

std::string EncodeJpeg(int width, int height, const PixelFn& pixel, bool grey) {
  const int components = grey ? 1 : 3;
  // Rows of whole 32-bit words, as WIC wants them.
  const int stride = (width * components + 3) / 4 * 4;
  std::vector<uint8_t> rows(size_t(stride) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const RgbaPixel p = pixel(x, y);
      uint8_t* out = &rows[size_t(y) * stride + size_t(x) * components];
      if (grey) {
        out[0] = p.r;
      } else {
        out[0] = p.b, out[1] = p.g, out[2] = p.r;
      }
    }
  return Encode(GUID_ContainerFormatJpeg, grey ? GUID_WICPixelFormat8bppGray : GUID_WICPixelFormat24bppBGR, width,
                height, stride, rows);
}

std::string EncodeJpegAs(int width, int height, const PixelFn& pixel, JpegKind kind) {
  // WIC's encoder writes neither progressive JPEGs nor Adobe's inks: a test
  // that needs them runs where libjpeg makes them.
  if (kind != JpegKind::Baseline && kind != JpegKind::Grey) std::abort();
  return EncodeJpeg(width, height, pixel, kind == JpegKind::Grey);
}

std::string OneBitPng(int width, int height) {
  const int stride = ((width + 7) / 8 + 3) / 4 * 4;  // rows of whole 32-bit words, as WIC wants them
  return Encode(GUID_ContainerFormatPng, GUID_WICPixelFormatBlackWhite, width, height, stride,
                std::vector<uint8_t>(size_t(stride) * size_t(height), 0));
}
