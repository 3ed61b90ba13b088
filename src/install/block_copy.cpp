#include "install/block_copy.h"

#include <cstdint>
#include <cstring>
#include <optional>

#include "install/file_identity.h"
#include "winapi/winapi.h"

namespace cdinst {
namespace {

constexpr UINT kBlockSize = 1024;
constexpr size_t kPathBufferSize = 256;
constexpr UINT kCountError = static_cast<UINT>(HFILE_ERROR);

// The block arithmetic and _llseek's positions are signed 32-bit numbers: a larger file would be
// measured wrong and copied short.
constexpr uint64_t kLargestSource = 0x7FFFFFFF;

// A path as the platform is given it: at most 255 characters and the terminator.
class PathBuffer {
 public:
  // False when `path` does not fit.
  bool Fill(const std::string& path) {
    if (path.size() >= kPathBufferSize) return false;
    std::memcpy(text_, path.c_str(), path.size() + 1);
    return true;
  }
  const char* Get() const { return text_; }

 private:
  char text_[kPathBufferSize] = {};
};

// Closes the file when it goes out of scope.
class SimpleFile {
 public:
  SimpleFile() = default;
  explicit SimpleFile(HFILE file) : file_(file) {}
  ~SimpleFile() {
    if (Valid()) _lclose(file_);
  }
  SimpleFile(const SimpleFile&) = delete;
  SimpleFile& operator=(const SimpleFile&) = delete;

  void Hold(HFILE file) { file_ = file; }  // requires that it holds nothing yet
  HFILE Get() const { return file_; }
  bool Valid() const { return file_ != HFILE_ERROR; }

 private:
  HFILE file_ = HFILE_ERROR;
};

// An HFILE is a file handle in a 32-bit integer; handle values are sign-extended back.
HANDLE HandleOf(HFILE file) { return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(file)); }

// Nothing when the size cannot be read or is too large to copy.
std::optional<LONG> CopyableSize(HFILE file) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(HandleOf(file), &size) || size.QuadPart < 0) return std::nullopt;
  if (static_cast<uint64_t>(size.QuadPart) > kLargestSource) return std::nullopt;
  return static_cast<LONG>(size.QuadPart);
}

// Only a destination that exists can be the source itself; asking a missing name costs far less
// than the identity query, which under Wine is several round trips to its server.
bool IsTheSource(HFILE source, const std::string& destination) {
  if (GetFileAttributesA(destination.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  const std::optional<FileIdentity> identity = IdentityOfOpen(HandleOf(source));
  return identity && IdentityOf(destination) == identity;
}

// Where the destination was found missing: what to make it in, and what the made file is.
struct NewFile {
  const std::optional<FileIdentity>& folder;
  std::optional<FileIdentity>& written;
};

// Every whole block must be read and written in full.
bool CopyBlocks(HFILE source, HFILE destination, LONG count, char* block) {
  for (LONG copied = 0; copied < count; ++copied) {
    if (_lread(source, block, kBlockSize) != kBlockSize) return false;
    if (_lwrite(destination, block, kBlockSize) != kBlockSize) return false;
  }
  return true;
}

// The tail write is not checked by itself: the size comparison after it catches a short one.
bool CopyTail(HFILE source, HFILE destination, UINT tail, char* block) {
  const UINT read = _lread(source, block, tail);
  if (read != 0 && read != kCountError) _lwrite(destination, block, tail);
  const LONG sourceEnd = _llseek(source, 0, FILE_END);
  const LONG destinationEnd = _llseek(destination, 0, FILE_END);
  return sourceEnd != HFILE_ERROR && sourceEnd == destinationEnd;  // two failures are no match
}

bool CopyContent(HFILE source, HFILE destination, LONG size) {
  char block[kBlockSize];
  if (!CopyBlocks(source, destination, size / static_cast<LONG>(kBlockSize), block)) return false;
  const auto tail = static_cast<UINT>(size % static_cast<LONG>(kBlockSize));
  return tail == 0 || CopyTail(source, destination, tail, block);
}

// The source is measured, and compared with the destination, before the destination is
// created, so that neither a source too large to copy nor a destination that is the source
// itself is ever cut to length 0. The source counts as its own complete copy.
bool CopyInto(const std::string& source, const std::string& destination, const NewFile* made) {
  PathBuffer sourcePath;
  PathBuffer destinationPath;
  if (!sourcePath.Fill(source) || !destinationPath.Fill(destination)) return false;
  SimpleFile target;  // declared before the source so that it is closed after it
  const SimpleFile origin(_lopen(sourcePath.Get(), OF_READ | OF_SHARE_DENY_NONE));
  if (!origin.Valid()) return false;
  const std::optional<LONG> size = CopyableSize(origin.Get());
  if (!size) return false;
  if (!made && IsTheSource(origin.Get(), destination)) return true;
  target.Hold(_lcreat(destinationPath.Get(), 0));
  if (!target.Valid()) return false;
  if (made) made->written = IdentityMadeIn(HandleOf(target.Get()), made->folder);
  return CopyContent(origin.Get(), target.Get(), *size);
}

}  // namespace

bool CopyFileBlocks(const std::string& source, const std::string& destination) {
  return CopyInto(source, destination, nullptr);
}

bool CopyFileBlocksToNew(const std::string& source, const std::string& destination,
                         const std::optional<FileIdentity>& folder,
                         std::optional<FileIdentity>& written) {
  const NewFile made{folder, written};
  return CopyInto(source, destination, &made);
}

}  // namespace cdinst
