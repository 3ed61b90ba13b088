/* The block loop of cdinst's file copy alone, for the Windows bench: 1 KiB at a time through
   _lread and _lwrite, nothing else. What the one large file costs at the least under Wine.

     bench_blocks.exe <source> <destination> */
#include <windows.h>

int main(int argc, char **argv) {
  char block[1024];
  HFILE source, destination;
  UINT count;
  if (argc != 3) return 2;
  source = _lopen(argv[1], OF_READ | OF_SHARE_DENY_NONE);
  destination = _lcreat(argv[2], 0);
  if (source == HFILE_ERROR || destination == HFILE_ERROR) return 1;
  while ((count = _lread(source, block, sizeof block)) != 0 && count != HFILE_ERROR) {
    if (_lwrite(destination, block, count) != count) return 1;
  }
  _lclose(source);
  _lclose(destination);
  return count == HFILE_ERROR;
}
