#include <gtest/gtest.h>

#include "document/download.h"
#include "support/loopback_server.h"

namespace atelion {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing_support::HttpResponse;
using testing_support::LoopbackServer;

Bitmap24 Pattern(int width, int height) {
  Bitmap24 picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) picture.SetPixel(x, y, MakeColour(x * 40, y * 50, (x + y) * 20));
  }
  return picture;
}

std::string Encoded(const Bitmap24& picture, ImageFormat format) {
  Bytes bytes;
  EXPECT_TRUE(EncodeImage(picture, format, 144, bytes));
  return std::string(bytes.begin(), bytes.end());
}

class Download : public testing::Test {
 protected:
  // The loopback server must be reached directly, never through a proxy from the environment.
  static void SetUpTestSuite() {
    testing_support::BypassProxies();
  }

  const Bitmap24 picture = Pattern(6, 5);
  const std::string png = Encoded(picture, ImageFormat::Png);
  const std::string bmp = Encoded(picture, ImageFormat::Bmp);
  const std::string jpeg = Encoded(picture, ImageFormat::Jpeg);
  LoopbackServer server{{
      {"/picture.png", HttpResponse("200 OK", "Content-Type: image/png\r\n", png)},
      {"/picture.bmp", HttpResponse("200 OK", "", bmp)},
      {"/picture.jpg", HttpResponse("200 OK", "", jpeg)},
      {"/moved", HttpResponse("302 Found", "Location: /picture.png\r\n", "")},
      {"/loop", HttpResponse("302 Found", "Location: /loop\r\n", "")},
      {"/to-file", HttpResponse("302 Found", "Location: file:///etc/hostname\r\n", "")},
      {"/text", HttpResponse("200 OK", "Content-Type: text/plain\r\n", "Just some words, no picture.")},
      {"/broken", HttpResponse("500 Internal Server Error", "", "oops")},
      // States a length far above the cap, then sends almost nothing.
      {"/huge-length", "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 100000000000\r\n\r\nBM"},
      // States no length and sends more than the test's small cap.
      {"/endless", HttpResponse("200 OK", "", "BM" + std::string(100000, 'x'), false)},
  }};
};

TEST_F(Download, PicturesArriveDecoded) {
  const std::pair<const char*, ImageFormat> cases[] = {
      {"/picture.png", ImageFormat::Png},
      {"/picture.bmp", ImageFormat::Bmp},
      {"/moved", ImageFormat::Png},  // a redirect is followed
  };
  for (const auto& [path, format] : cases) {
    const LoadedImage loaded = DownloadImage(server.Address(path));
    ASSERT_TRUE(loaded.status) << path << ": " << loaded.status.message();
    EXPECT_EQ(loaded.format, format) << path;
    EXPECT_EQ(loaded.picture, picture) << path;
  }
  const LoadedImage jpegLoaded = DownloadImage(server.Address("/picture.jpg"));
  ASSERT_TRUE(jpegLoaded.status) << jpegLoaded.status.message();
  EXPECT_EQ(jpegLoaded.picture.Width(), 6);
  EXPECT_EQ(jpegLoaded.dpi, 144);
}

TEST_F(Download, FailuresSayWhatWentWrong) {
  const struct {
    std::string address;
    const char* reason;
  } cases[] = {
      {server.Address("/missing"), "404"},
      {server.Address("/broken"), "500"},
      {server.Address("/loop"), "redirect"},
      {server.Address("/to-file"), "file"},
      {server.Address("/huge-length"), "larger than 64 MiB"},
      {"file:///etc/hostname", "file"},
      {"ftp://127.0.0.1:" + std::to_string(server.Port()) + "/picture.png", "ftp"},
  };
  for (const auto& c : cases) {
    const LoadedImage loaded = DownloadImage(c.address);
    EXPECT_FALSE(loaded.status) << c.address;
    EXPECT_TRUE(loaded.picture.Empty()) << c.address;
    EXPECT_NE(loaded.status.message().find(c.address), std::string::npos) << loaded.status.message();
    EXPECT_NE(loaded.status.message().find(c.reason), std::string::npos) << loaded.status.message();
  }
}

TEST_F(Download, SomethingThatIsNoPictureIsUnrecognized) {
  const LoadedImage loaded = DownloadImage(server.Address("/text"));
  EXPECT_FALSE(loaded.status);
  EXPECT_EQ(loaded.status.message().rfind("Unrecognized file format!", 0), 0u) << loaded.status.message();
}

TEST_F(Download, BodyIsCappedWhereverTheLimitFalls) {
  DownloadLimits limits;
  limits.maxBytes = 4096;
  const LoadedImage endless = DownloadImage(server.Address("/endless"), limits);
  EXPECT_FALSE(endless.status);
  EXPECT_NE(endless.status.message().find("larger than 4096 bytes"), std::string::npos) << endless.status.message();

  // A picture of exactly the cap still arrives; one byte less and it is refused.
  limits.maxBytes = png.size();
  EXPECT_TRUE(DownloadImage(server.Address("/picture.png"), limits).status);
  limits.maxBytes = png.size() - 1;
  EXPECT_FALSE(DownloadImage(server.Address("/picture.png"), limits).status);
}

}  // namespace
}  // namespace atelion
