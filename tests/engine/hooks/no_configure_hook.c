/* A frame-hook plug-in without Configure: it paints the first plane white
   and takes no arguments. */
#include <stddef.h>
#include <stdint.h>
#include <string.h>

typedef struct {
  uint8_t *data[4];
  int linesize[4];
} Picture;

void Process(void *ctx, Picture *picture, int pix_fmt, int width, int height, int64_t pts) {
  int y;
  (void)ctx, (void)pix_fmt, (void)pts;
  for (y = 0; y < height; ++y) memset(picture->data[0] + (ptrdiff_t)y * picture->linesize[0], 255, (size_t)width);
}
