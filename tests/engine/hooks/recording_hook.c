/* A frame-hook plug-in for the tests: Configure records its words in a
   context, Process inverts the picture's first plane and appends
   "<first argument>@<pts>" to the process-wide trace, Release appends
   "release:<first argument>". The test reads the trace through
   RecordingHookTrace. */
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef struct {
  uint8_t *data[4];
  int linesize[4];
} Picture;

typedef struct {
  char name[64];
  int argc;
} Context;

static char trace[65536];

static void append(const char *text) {
  size_t used = strlen(trace);
  snprintf(trace + used, sizeof trace - used, "%s;", text);
}

const char *RecordingHookTrace(void) { return trace; }
void RecordingHookClearTrace(void) { trace[0] = 0; }

int Configure(void **ctx, int argc, char *argv[]) {
  Context *c = calloc(1, sizeof *c);
  char line[256];
  int i;
  if (!c) return -1;
  if (argc > 1 && strcmp(argv[1], "fail") == 0) {
    free(c);
    return 1;
  }
  snprintf(c->name, sizeof c->name, "%s", argc > 1 ? argv[1] : "-");
  c->argc = argc;
  snprintf(line, sizeof line, "configure:%d", argc);
  for (i = 1; i < argc; ++i) {
    strncat(line, ":", sizeof line - strlen(line) - 1);
    strncat(line, argv[i], sizeof line - strlen(line) - 1);
  }
  append(line);
  *ctx = c;
  return 0;
}

void Process(void *ctx, Picture *picture, int pix_fmt, int width, int height, int64_t pts) {
  Context *c = ctx;
  char line[128];
  int x, y;
  (void)pix_fmt;
  for (y = 0; y < height; ++y)
    for (x = 0; x < width; ++x) {
      uint8_t *p = picture->data[0] + (ptrdiff_t)y * picture->linesize[0] + x;
      *p = (uint8_t)(255 - *p);
    }
  snprintf(line, sizeof line, "%s@%lld", c->name, (long long)pts);
  append(line);
}

void Release(void *ctx) {
  Context *c = ctx;
  char line[96];
  snprintf(line, sizeof line, "release:%s", c->name);
  append(line);
  free(c);
}
