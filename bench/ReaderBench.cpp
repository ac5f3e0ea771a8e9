// Reader speed on real camera files: whole-file reads as the dialog does them
// (two containers per image: EXIF tab and IPTC tab), and the parts on their own.
#include <benchmark/benchmark.h>

#include <string>

#include "dialog/ParamsRows.h"
#include "exif/ImgData.h"

namespace {

std::string Sample(const char *name) {
    return std::string(EXIFVIEW_SAMPLES) + "/" + name;
}

void OpenImage(benchmark::State &state, const char *name) {
    const std::string path = Sample(name);
    for (auto _ : state) {
        exif::TimgData img;
        benchmark::DoNotOptimize(img.OpenImageFile(path));
        benchmark::DoNotOptimize(img.ExifInfo());
    }
}

void DialogRows(benchmark::State &state, const char *name) {
    const std::string path = Sample(name);
    for (auto _ : state) {
        const params::ExifView exifView = params::BuildExifView(path, 640, 480);
        const params::IptcView iptcView = params::BuildIptcView(path);
        benchmark::DoNotOptimize(params::ExportText(exifView, iptcView));
    }
}

}  // namespace

BENCHMARK_CAPTURE(OpenImage, canon_jpeg, "Canon_40D.jpg");
BENCHMARK_CAPTURE(OpenImage, nikon_jpeg_gps, "DSCN0010.jpg");
BENCHMARK_CAPTURE(OpenImage, iptc_jpeg, "BlueSquare.jpg");
BENCHMARK_CAPTURE(OpenImage, tiff, "Jobagent.tiff");
BENCHMARK_CAPTURE(DialogRows, canon_jpeg, "Canon_40D.jpg");
BENCHMARK_CAPTURE(DialogRows, iptc_jpeg, "landscape_1.jpg");

BENCHMARK_MAIN();
