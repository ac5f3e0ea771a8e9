#include "ui/ImageDecode.h"

#include <wincodec.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace ui {

namespace {

SIZE FittedSize(UINT width, UINT height, int maxWidth, int maxHeight) {
    const double scale =
        std::min({1.0, static_cast<double>(maxWidth) / width, static_cast<double>(maxHeight) / height});
    return SIZE{std::max(1L, std::lround(width * scale)), std::max(1L, std::lround(height * scale))};
}

}  // namespace

TBitmapHandle DecodePictureToFit(std::string_view bytes, int maxWidth, int maxHeight) {
    if (bytes.empty() || bytes.size() > MaxPictureBytes || maxWidth < 1 || maxHeight < 1) return {};
    // COM first: every object below goes before it.
    const TComScope com;
    TComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                factory.ReceiveVoid())))
        return {};
    // The stream reads from memory it does not own: a copy that outlives it.
    std::vector<BYTE> encoded(bytes.begin(), bytes.end());
    TComPtr<IWICStream> stream;
    TComPtr<IWICBitmapDecoder> decoder;
    TComPtr<IWICBitmapFrameDecode> frame;
    UINT width = 0, height = 0;
    if (FAILED(factory->CreateStream(stream.Receive())) ||
        FAILED(stream->InitializeFromMemory(encoded.data(), static_cast<DWORD>(encoded.size()))) ||
        FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                decoder.Receive())) ||
        FAILED(decoder->GetFrame(0, frame.Receive())) || FAILED(frame->GetSize(&width, &height)))
        return {};
    if (width == 0 || height == 0 || width > MaxPictureSide || height > MaxPictureSide) return {};
    const SIZE fitted = FittedSize(width, height, maxWidth, maxHeight);
    TComPtr<IWICBitmapScaler> scaler;
    TComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateBitmapScaler(scaler.Receive())) ||
        FAILED(scaler->Initialize(frame.Get(), static_cast<UINT>(fitted.cx), static_cast<UINT>(fitted.cy),
                                  WICBitmapInterpolationModeFant)) ||
        FAILED(factory->CreateFormatConverter(converter.Receive())) ||
        FAILED(converter->Initialize(scaler.Get(), GUID_WICPixelFormat24bppBGR, WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)))
        return {};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = fitted.cx;
    info.bmiHeader.biHeight = -fitted.cy;  // top-down, as WIC gives the rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    TBitmapHandle bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return {};
    // A DIB's rows start on 4-byte boundaries.
    const UINT stride = (static_cast<UINT>(fitted.cx) * 3 + 3) & ~3u;
    if (FAILED(
            converter->CopyPixels(nullptr, stride, stride * static_cast<UINT>(fitted.cy), static_cast<BYTE *>(bits))))
        return {};
    return bitmap;
}

}  // namespace ui
