/* A frame-hook plug-in without Process: it cannot be added. */
int Configure(void **ctx, int argc, char *argv[]) {
  (void)ctx, (void)argc, (void)argv;
  return 0;
}
