#include "main/jpeg_size.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace quorbit {
namespace {

// libjpeg's default error handler calls exit(); this one jumps back to the reader instead.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf escape;
};

[[noreturn]] void OnError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->escape, 1);
}

void OnMessage(j_common_ptr) {}  // warnings are not shown to anyone

}  // namespace

bool ReadJpegSize(const std::string& path, int* width, int* height) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  jpeg_decompress_struct info;
  ErrorManager errors;
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = OnError;
  errors.base.output_message = OnMessage;
  // Nothing with a destructor lives between setjmp and the jump back to it.
  if (setjmp(errors.escape)) {
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  *width = static_cast<int>(info.image_width);
  *height = static_cast<int>(info.image_height);
  jpeg_destroy_decompress(&info);
  std::fclose(file);
  return true;
}

}  // namespace quorbit
