// The least the Linux program's system calls can cost: a tree copied with only the system calls
// that the Windows calls of the copy need on Linux, when every directory is held open for free
// and nothing is cached across calls, with no other work in between. scripts/bench times it
// beside cdinst and cp -r to show how much of cdinst's time the calls themselves take.
//
//   bench_floor SOURCE DESTINATION   (DESTINATION must not exist yet)
//
// Per directory: the entering check, two listings (the subdirectories, then the files; each
// looks at ".", "..", and every entry), its identity, and for every subdirectory the failed
// entering of its counterpart, its making, and the identity of the directory twice on coming
// back. Per file: the read-only check before, the source looked up, opened and admitted (four
// share-mode locks), its size and identity, the same-file check, the target made unnamed with
// its two share-mode locks and linked in, the data in 64 KiB reads and writes, both ends
// measured, both closed, and the read-only check after (three lookups).
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

struct entry {
  char* name;
  int directory;
};

struct listing {
  struct entry* entries;
  size_t count;
};

static char data[65536];

static void lock(int fd, int command, short type, off_t byte) {
  struct flock range = {0};
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = 0x7FFFFFFFFFFFFFF0 + byte;
  range.l_len = 1;
  fcntl(fd, command, &range);
}

// One FindFirstFile/FindNextFile pass over `name` in `parent`; keeps the entries when asked.
static void list(int parent, const char* name, struct listing* kept) {
  struct stat status;
  char buffer[32768];
  fstatat(parent, name, &status, 0);
  fstatat(parent, ".", &status, 0);
  const int directory = openat(parent, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  long got;
  while ((got = syscall(SYS_getdents64, directory, buffer, sizeof buffer)) > 0) {
    for (long at = 0; at < got;) {
      const struct dirent64* found = (const void*)(buffer + at);
      at += found->d_reclen;
      if (!strcmp(found->d_name, ".") || !strcmp(found->d_name, "..")) continue;
      fstatat(directory, found->d_name, &status, AT_SYMLINK_NOFOLLOW);
      if (!kept) continue;
      kept->entries = realloc(kept->entries, (kept->count + 1) * sizeof *kept->entries);
      kept->entries[kept->count].name = strdup(found->d_name);
      kept->entries[kept->count].directory = S_ISDIR(status.st_mode);
      kept->count++;
    }
  }
  close(directory);
}

static void copy_file(int source, int target, const char* name) {
  struct stat status;
  fstatat(target, name, &status, AT_SYMLINK_NOFOLLOW);
  fstatat(source, name, &status, AT_SYMLINK_NOFOLLOW);
  const int in = openat(source, name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  fstat(in, &status);
  lock(in, F_OFD_SETLKW, F_WRLCK, 0);
  lock(in, F_OFD_GETLK, F_WRLCK, 3);
  lock(in, F_OFD_SETLK, F_RDLCK, 1);
  lock(in, F_OFD_SETLK, F_UNLCK, 0);
  fstat(in, &status);
  fstatat(target, name, &status, AT_SYMLINK_NOFOLLOW);
  const int out = openat(target, ".", O_RDWR | O_TMPFILE | O_CLOEXEC, 0666);
  lock(out, F_OFD_SETLK, F_RDLCK, 1);
  lock(out, F_OFD_SETLK, F_RDLCK, 2);
  linkat(out, "", target, name, AT_EMPTY_PATH);
  off_t at = 0;
  ssize_t got;
  while ((got = pread(in, data, sizeof data, at)) > 0) {
    if (pwrite(out, data, got, at) != got) exit(1);
    at += got;
    if (got < (ssize_t)sizeof data) break;
  }
  fstat(in, &status);
  fstat(out, &status);
  close(in);
  close(out);
  for (int i = 0; i < 3; ++i) fstatat(target, name, &status, AT_SYMLINK_NOFOLLOW);
}

static void copy_tree(int parent, const char* name, int target) {
  struct stat status;
  struct listing listing = {0};
  fstatat(parent, name, &status, 0);
  list(parent, name, &listing);
  list(parent, name, NULL);
  const int source = openat(parent, name, O_PATH | O_DIRECTORY | O_CLOEXEC);
  fstat(source, &status);
  for (size_t i = 0; i < listing.count; ++i) {
    if (!listing.entries[i].directory) copy_file(source, target, listing.entries[i].name);
  }
  for (size_t i = 0; i < listing.count; ++i) {
    const char* child = listing.entries[i].name;
    if (listing.entries[i].directory) {
      fstat(source, &status);
      fstat(source, &status);
      fstatat(target, child, &status, 0);
      mkdirat(target, child, 0777);
      const int made = openat(target, child, O_PATH | O_DIRECTORY | O_CLOEXEC);
      copy_tree(source, child, made);
      close(made);
    }
    free(listing.entries[i].name);
  }
  free(listing.entries);
  close(source);
}

int main(int argc, char** argv) {
  if (argc != 3 || mkdir(argv[2], 0777) != 0) {
    fprintf(stderr, "usage: bench_floor SOURCE NEW-DESTINATION\n");
    return 2;
  }
  const int target = open(argv[2], O_PATH | O_DIRECTORY | O_CLOEXEC);
  copy_tree(AT_FDCWD, argv[1], target);
  return 0;
}
