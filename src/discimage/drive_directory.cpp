#include "discimage/drive_directory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace cdinst::disc {
namespace {

constexpr char kDataFolder[] = "DADOS";
// Deeper than Windows' path length allows; it bounds the recursion a hostile image can ask for.
constexpr size_t kDeepest = 128;

[[noreturn]] void Fail(const std::string& what, const std::string& where) {
  throw DiscError(where + ": " + what + " (" + std::strerror(errno) + ")");
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Where the names are laid out: the directory and its path, for messages.
struct Place {
  int fd;
  std::string path;
};

void MarkHidden(int fd, const DiscEntry& entry, const std::string& where) {
  if (!entry.hidden) return;
  if (fsetxattr(fd, "user.DOSATTRIB", "0x2", 3, 0) != 0 && errno != ENOTSUP) {
    Fail("cannot be marked hidden", where);
  }
}

int OpenDirectory(int parent, const std::string& name, const std::string& where) {
  const int fd = openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) Fail("cannot be opened", where);
  return fd;
}

// An existing directory is one laid out already, on the way to DADOS or the origin.
int MakeDirectory(const Place& parent, const DiscEntry& entry) {
  const std::string where = parent.path + '/' + entry.name;
  if (mkdirat(parent.fd, entry.name.c_str(), 0755) != 0 && errno != EEXIST) {
    Fail("cannot be created", where);
  }
  const int fd = OpenDirectory(parent.fd, entry.name, where);
  if (fchmod(fd, 0755) != 0) Fail("cannot be given its permissions", where);
  MarkHidden(fd, entry, where);
  return fd;
}

void WriteAll(int fd, const char* data, size_t size, const std::string& where) {
  while (size > 0) {
    const ssize_t written = write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) Fail("cannot be written", where);
    data += written;
    size -= static_cast<size_t>(written);
  }
}

void CopyFile(const DiscImage& image, const DiscEntry& entry, const Place& parent) {
  const std::string where = parent.path + '/' + entry.name;
  const int fd = openat(parent.fd, entry.name.c_str(),
                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0444);
  // Laid out already: DADOS lies within the origin, or the origin within DADOS.
  if (fd < 0 && errno == EEXIST) return;
  if (fd < 0) Fail("cannot be created", where);
  const Descriptor file(fd);
  image.Read(entry, [&](const char* data, size_t size) { WriteAll(fd, data, size, where); });
  if (fchmod(fd, 0444) != 0) Fail("cannot be made read-only", where);
  MarkHidden(fd, entry, where);
}

// The directories whose content is laid out already, by extent: a second record pointing to
// one (DADOS within the origin, or a hostile image making a tree of one directory repeated)
// adds no more.
using LaidOut = std::set<uint32_t>;

void CopyEntry(const DiscImage& image, const std::string& discPath, const DiscEntry& entry,
               const Place& parent, LaidOut& laidOut, size_t depth) {
  if (!entry.directory) {
    CopyFile(image, entry, parent);
    return;
  }
  if (depth > kDeepest) throw DiscError(parent.path + ": directories nested too deeply");
  const Descriptor directory(MakeDirectory(parent, entry));
  if (!laidOut.insert(entry.extents[0].first).second) return;
  const Place place{directory.get(), parent.path + '/' + entry.name};
  const std::string path = ChildPath(discPath, entry.name);
  for (const DiscEntry& child : image.List(path))
    CopyEntry(image, path, child, place, laidOut, depth + 1);
}

void WriteLabel(const std::string& label, const Place& root) {
  const std::string where = root.path + "/.windows-label";
  const int fd = openat(root.fd, ".windows-label",
                        O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) Fail("cannot be created", where);
  const Descriptor file(fd);
  const std::string text = label + '\n';
  WriteAll(fd, text.data(), text.size(), where);
}

// Lays out the entry at `path` on the disc with the directories on the way to it (the whole
// disc for ""); false when the disc has no such entry.
bool LayOutPath(const DiscImage& image, std::string_view path, const Place& root,
                LaidOut& laidOut) {
  const std::vector<std::string_view> components = PathComponents(path);
  if (components.empty()) {
    for (const DiscEntry& child : image.List("")) CopyEntry(image, "", child, root, laidOut, 1);
    return true;
  }
  std::unique_ptr<Descriptor> held;
  Place place = root;
  std::string discPath;
  for (size_t i = 0; i < components.size(); ++i) {
    const std::optional<DiscEntry> entry = image.Find(ChildPath(discPath, components[i]));
    if (!entry || (i + 1 < components.size() && !entry->directory)) return false;
    if (i + 1 == components.size()) {
      CopyEntry(image, discPath, *entry, place, laidOut, i + 1);
      break;
    }
    held = std::make_unique<Descriptor>(MakeDirectory(place, *entry));
    place = Place{held->get(), place.path + '/' + entry->name};
    discPath = ChildPath(discPath, entry->name);
  }
  return true;
}

}  // namespace

void LayOutDrive(const DiscImage& image, std::string_view origin, const std::string& root) {
  const Descriptor rootFd(OpenDirectory(AT_FDCWD, root, root));
  const Place place{rootFd.get(), root};
  WriteLabel(image.Label(), place);
  LaidOut laidOut;
  LayOutPath(image, kDataFolder, place, laidOut);
  if (!LayOutPath(image, origin, place, laidOut)) {
    throw DiscError(root + ": the disc has no " + std::string(origin));
  }
}

}  // namespace cdinst::disc
