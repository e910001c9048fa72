// SPDX-License-Identifier: GPL-3.0-or-later
// DecodePng and DecodeJpeg on the Windows Imaging Component. WIC reads a
// picture's size before it decodes a pixel, so the side limit is checked
// before any memory is taken. It may fill what a truncated file lacks with
// grey, so the completeness checks run here too, not only in DecodePicture.
#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include "cover/image_decode.h"
#include "cover/picture_checks.h"

using Microsoft::WRL::ComPtr;

namespace {

// COM for the length of one decoding, whatever the calling thread has set up.
class ComScope {
 public:
  ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  // RPC_E_CHANGED_MODE: the thread already has COM, in the other model, which does as well.
  bool Ready() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT result_;
};

// The first frame of `data` read as `container`, converted to premultiplied
// 32-bit pixels; nullptr when it is not such a picture.
Image DecodeWith(const GUID& container, const uint8_t* data, size_t size) {
  if (data == nullptr || size == 0 || size > MAXDWORD) return nullptr;
  const ComScope com;
  if (!com.Ready()) return nullptr;
  ComPtr<IWICImagingFactory> factory;
  // The first factory: the only one Windows 7 has, and all this needs.
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory1, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))))
    return nullptr;
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(factory->CreateStream(&stream)) ||
      FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), DWORD(size))) ||
      FAILED(factory->CreateDecoder(container, nullptr, &decoder)) ||
      FAILED(decoder->Initialize(stream.Get(), WICDecodeMetadataCacheOnDemand)) ||
      FAILED(decoder->GetFrame(0, &frame))) {
    return nullptr;
  }
  UINT width = 0, height = 0;
  // Before any pixel is allocated. WIC's own buffers cannot be bounded from
  // here: the pixel bound is what keeps them in reason.
  if (FAILED(frame->GetSize(&width, &height)) || !PictureSizeAllowed({width, height})) {
    return nullptr;
  }
  ComPtr<IWICFormatConverter> converter;
  if (FAILED(factory->CreateFormatConverter(&converter)) ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom))) {
    return nullptr;
  }
  Image image = CreateImage(int(width), int(height));
  if (image == nullptr) return nullptr;
  const UINT stride = UINT(image->stride);
  if (FAILED(converter->CopyPixels(nullptr, stride, stride * height, image->Bytes()))) return nullptr;
  return image;
}

}  // namespace

Image DecodePng(const uint8_t* data, size_t size) {
  if (!PngIsWhole(data, size)) return nullptr;
  return DecodeWith(GUID_ContainerFormatPng, data, size);
}

Image DecodeJpeg(const uint8_t* data, size_t size) {
  if (!JpegIsWhole(data, size) || JpegScanCount(data, size) > kMaxJpegScans) return nullptr;
  // A progressive picture's coefficients are held whole while it decodes:
  // within what libjpeg is allowed elsewhere.
  const std::optional<PictureSize> claimed = PictureHeaderSize(data, size);
  const std::optional<size_t> coefficients = JpegCoefficientBytes(data, size);
  if (!claimed || !PictureSizeAllowed(*claimed) || !coefficients ||
      *coefficients > PictureDecoderBytesAllowed(*claimed)) {
    return nullptr;
  }
  return DecodeWith(GUID_ContainerFormatJpeg, data, size);
}
