#include "platform/win32/wic_photo.h"

#include <initguid.h>  // the WIC identifiers, defined here once
#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace ptpdiag {
namespace {

// Releases a COM interface at the end of its scope.
template <typename T>
struct Com {
  T* p = nullptr;
  ~Com() {
    if (p != nullptr) p->Release();
  }
  T** operator&() { return &p; }
  T* operator->() const { return p; }
};

std::wstring Wide(const std::string& text) {
  const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(std::max(size, 1)), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out.data(), size);
  out.resize(out.size() - 1);
  return out;
}

// JPEG at the photos' quality, or PNG.
bool Encode(IWICImagingFactory* factory, IWICBitmapSource* source, bool png, UINT width, UINT height,
            std::string& bytes) {
  Com<IStream> stream;
  Com<IWICBitmapEncoder> encoder;
  Com<IWICBitmapFrameEncode> frame;
  Com<IPropertyBag2> options;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return false;
  if (FAILED(factory->CreateEncoder(png ? GUID_ContainerFormatPng : GUID_ContainerFormatJpeg, nullptr, &encoder)))
    return false;
  if (FAILED(encoder->Initialize(stream.p, WICBitmapEncoderNoCache))) return false;
  if (FAILED(encoder->CreateNewFrame(&frame, &options))) return false;
  if (!png) {
    PROPBAG2 name{};
    name.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
    VARIANT quality{};  // zeroed as VariantInit would, without oleaut32
    quality.vt = VT_R4;
    quality.fltVal = static_cast<float>(kPhotoJpegQuality) / 100.0F;
    options->Write(1, &name, &quality);
  }
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  if (FAILED(frame->Initialize(options.p)) || FAILED(frame->SetSize(width, height)) ||
      FAILED(frame->SetPixelFormat(&format)) || FAILED(frame->WriteSource(source, nullptr)) ||
      FAILED(frame->Commit()) || FAILED(encoder->Commit())) {
    return false;
  }
  STATSTG stat{};
  HGLOBAL memory = nullptr;
  if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || FAILED(GetHGlobalFromStream(stream.p, &memory))) return false;
  const void* data = GlobalLock(memory);
  if (data == nullptr) return false;
  bytes.assign(static_cast<const char*>(data), static_cast<std::size_t>(stat.cbSize.QuadPart));
  GlobalUnlock(memory);
  return true;
}

}  // namespace

PhotoResult LoadScaledPhotoWic(const std::string& path, int mostSide) {
  WIN32_FILE_ATTRIBUTE_DATA attributes{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &attributes) ||
      (attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return std::string("no such file");
  }
  const ULONGLONG size = (static_cast<ULONGLONG>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
  if (size > static_cast<ULONGLONG>(kMostPhotoFileBytes)) return std::string("larger than 64 MB");
  Com<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(&factory)))) {
    return std::string("cannot be read: the Windows Imaging Component is not available");
  }
  Com<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateDecoderFromFilename(Wide(path).c_str(), nullptr, GENERIC_READ,
                                                WICDecodeMetadataCacheOnDemand, &decoder))) {
    return std::string("not a JPEG or PNG picture");
  }
  GUID container{};
  decoder->GetContainerFormat(&container);
  const bool png = IsEqualGUID(container, GUID_ContainerFormatPng);
  if (!png && !IsEqualGUID(container, GUID_ContainerFormatJpeg)) return std::string("not a JPEG or PNG picture");
  Com<IWICBitmapFrameDecode> frame;
  UINT width = 0, height = 0;
  if (FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&width, &height)) || width == 0 ||
      height == 0 || static_cast<unsigned long long>(width) * height > 64'000'000ULL) {
    return std::string("cannot be read: no picture of a usable size");
  }
  int w = static_cast<int>(width), h = static_cast<int>(height);
  FitWithin(w, h, mostSide);
  width = static_cast<UINT>(w);
  height = static_cast<UINT>(h);
  Com<IWICBitmapScaler> scaler;
  Com<IWICFormatConverter> converter;
  if (FAILED(factory->CreateBitmapScaler(&scaler)) ||
      FAILED(scaler->Initialize(frame.p, width, height, WICBitmapInterpolationModeFant)) ||
      FAILED(factory->CreateFormatConverter(&converter)) ||
      FAILED(converter->Initialize(scaler.p, GUID_WICPixelFormat24bppBGR, WICBitmapDitherTypeNone, nullptr, 0,
                                   WICBitmapPaletteTypeCustom))) {
    return std::string("cannot be read: its pixels cannot be decoded");
  }
  ScaledPhoto photo{"image/jpeg", {}, static_cast<int>(width), static_cast<int>(height)};
  const bool jpeg = Encode(factory.p, converter.p, false, width, height, photo.Bytes);
  std::string pngBytes;
  if (png && Encode(factory.p, converter.p, true, width, height, pngBytes) &&
      (!jpeg || pngBytes.size() <= photo.Bytes.size())) {
    photo.Mime = "image/png";
    photo.Bytes = std::move(pngBytes);
    return photo;
  }
  if (!jpeg) return std::string("cannot be encoded again");
  return photo;
}

}  // namespace ptpdiag
