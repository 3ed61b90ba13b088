#include "winapi/posix/open_directories.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "platform/windows1252.h"
#include "winapi/posix/directory_cache.h"
#include "winapi/posix/directory_entries.h"
#include "winapi/posix/inotify_instance.h"
#include "winapi/posix/kept_names.h"

namespace cdinst::posix {
namespace {

// Bounds the descriptors and watches held; past it the directories with nothing kept below them
// are dropped, and opened again on demand. The ones above, few and used by every walk through
// them, stay, unless that leaves too little room.
constexpr size_t kMostKept = 256;
constexpr uint32_t kChanges = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB |
                              IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
constexpr uint32_t kGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT;
constexpr uint32_t kEntryChanges = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

}  // namespace

struct KeptNode {
  std::shared_ptr<OpenDirectory> directory;
  int watch = -1;
  std::string unixName;  // in the parent
  bool exact = true;     // the component was spelled as on disk
  std::unordered_map<std::string, std::unique_ptr<KeptNode>> children;  // by the component as given
  // What fstat(2) said of the directory, and the count of entry events when it was asked. Only
  // an entry made, removed or renamed in it changes more than its access time, short of what
  // lets the node go.
  std::optional<struct stat> status;
  uint64_t statusAt = 0;
  // Its entries' names, once a name was missing in it (FollowNames()).
  std::unique_ptr<KeptNames> names;
};

namespace {

using Node = KeptNode;

struct Root {
  dev_t device;
  ino_t inode;
  std::unique_ptr<Node> node;
  // For a drive's entry in dosdevices: the watch on the directory holding the entry, and the
  // entry's name there. While neither the entry nor the root changes, the root needs no stat.
  int entryWatch = -1;
  std::string entryName;
};

struct Cache {
  std::mutex mutex;
  InotifyInstance notify;
  std::unordered_map<std::string, Root> roots;  // by Unix path
  std::unordered_map<int, size_t> watchUsers;   // how many nodes each watch serves
  // The Unix names of kept nodes below the roots, and how many of them matched without regard
  // to case: an entry event elsewhere (a file made in a kept directory) changes nothing.
  std::unordered_map<std::string, size_t> childNames;
  size_t inexact = 0;
  size_t kept = 0;
  uint64_t generation = 1;                    // counts the times kept directories were let go
  uint64_t entryEvents = 0;                   // counts the entry events read, wherever they were
  std::unordered_multimap<int, Node*> named;  // the nodes following names, by watch
};

Cache& TheCache() {
  static Cache& cache = *new Cache;  // never destroyed: its inotify instance is handed over at exit
  return cache;
}

// Where a walk stands: the directory reached, and its node while the walk is on kept ground.
struct Position {
  Node* node = nullptr;
  std::shared_ptr<OpenDirectory> directory;
};

// A watch serves every node of the same directory; it goes with the last of them.
int Counted(Cache& cache, int watch) {
  if (watch >= 0) ++cache.watchUsers[watch];
  return watch;
}

int AddWatch(Cache& cache, const std::string& path) {
  return Counted(cache, cache.notify.Watch(path, kChanges));
}

int AddWatch(Cache& cache, int directory) {
  return Counted(cache, cache.notify.WatchOpen(directory, kChanges));
}

void ReleaseWatch(Cache& cache, int watch) {
  const auto users = cache.watchUsers.find(watch);
  if (users != cache.watchUsers.end() && --users->second == 0) {
    cache.notify.Unwatch(watch);
    cache.watchUsers.erase(users);
  }
}

void CountChild(Cache& cache, const Node& child) {
  ++cache.childNames[child.unixName];
  if (!child.exact) ++cache.inexact;
}

void UncountChild(Cache& cache, const Node& child) {
  const auto name = cache.childNames.find(child.unixName);
  if (name != cache.childNames.end() && --name->second == 0) cache.childNames.erase(name);
  if (!child.exact) --cache.inexact;
}

void Unname(Cache& cache, const Node& node) {
  const auto [first, last] = cache.named.equal_range(node.watch);
  for (auto at = first; at != last; ++at) {
    if (at->second == &node) {
      cache.named.erase(at);
      return;
    }
  }
}

// Gives up what `node` and everything below it hold, except their storage.
void Release(Cache& cache, const Node& node) {
  for (const auto& child : node.children) {
    Release(cache, *child.second);
    UncountChild(cache, *child.second);
  }
  --cache.kept;
  ++cache.generation;
  if (node.names) Unname(cache, node);
  ReleaseWatch(cache, node.watch);
}

void DropRoot(Cache& cache, std::unordered_map<std::string, Root>::iterator root) {
  Release(cache, *root->second.node);
  ReleaseWatch(cache, root->second.entryWatch);
  cache.roots.erase(root);
}

// Lets everything go without touching the watches.
void Clear(Cache& cache) {
  cache.watchUsers.clear();
  cache.roots.clear();
  cache.childNames.clear();
  cache.named.clear();
  cache.inexact = 0;
  cache.kept = 0;
  ++cache.generation;
}

void ForgetAll(Cache& cache) {
  for (const auto& users : cache.watchUsers) cache.notify.Unwatch(users.first);
  Clear(cache);
}

bool HitsItself(int watch, const inotify_event& event) {
  return watch == event.wd &&
         ((event.mask & kGone) || ((event.mask & IN_ATTRIB) && event.len == 0));
}

bool Hits(const Node& node, const inotify_event& event) { return HitsItself(node.watch, event); }

bool HitsEntry(const Root& root, const inotify_event& event, std::string_view name) {
  return HitsItself(root.entryWatch, event) ||
         (root.entryWatch == event.wd && (event.mask & kEntryChanges) && name == root.entryName);
}

// An entry event in the parent changes where a spelling that matched only without regard to
// case leads; otherwise only the event on the name the walk went through does.
bool ChangesEntry(const Node& parent, const Node& child, const inotify_event& event,
                  std::string_view name) {
  return parent.watch == event.wd && (event.mask & kEntryChanges) &&
         (!child.exact || child.unixName == name);
}

void ApplyBelow(Cache& cache, Node& node, const inotify_event& event, std::string_view name) {
  for (auto at = node.children.begin(); at != node.children.end();) {
    Node& child = *at->second;
    if (Hits(child, event) || ChangesEntry(node, child, event, name)) {
      Release(cache, child);
      UncountChild(cache, child);
      at = node.children.erase(at);
    } else {
      ApplyBelow(cache, child, event, name);
      ++at;
    }
  }
}

// An event on an entry matters only for an entry change under a name the kept nodes go
// through, or anywhere while some node matched without regard to case.
bool MattersBelow(const Cache& cache, const inotify_event& event, std::string_view name) {
  if (event.len == 0) return true;
  if (!(event.mask & kEntryChanges)) return false;
  return cache.inexact > 0 || cache.childNames.count(std::string(name)) > 0;
}

void Apply(Cache& cache, const inotify_event& event, std::string_view name) {
  if (event.mask & IN_Q_OVERFLOW) {
    ForgetAll(cache);
    return;
  }
  if (event.mask & kEntryChanges) {
    ++cache.entryEvents;
    const auto [first, last] = cache.named.equal_range(event.wd);
    for (auto at = first; at != last; ++at) at->second->names->Apply(event.mask, name);
  }
  const bool below = MattersBelow(cache, event, name);
  for (auto at = cache.roots.begin(); at != cache.roots.end();) {
    const auto next = std::next(at);
    if (Hits(*at->second.node, event) || HitsEntry(at->second, event, name)) {
      DropRoot(cache, at);
    } else if (below) {
      ApplyBelow(cache, *at->second.node, event, name);
    }
    at = next;
  }
}

void DropLeaves(Cache& cache, Node& node) {
  for (auto at = node.children.begin(); at != node.children.end();) {
    Node& child = *at->second;
    if (child.children.empty()) {
      Release(cache, child);
      UncountChild(cache, child);
      at = node.children.erase(at);
    } else {
      DropLeaves(cache, child);
      ++at;
    }
  }
}

void MakeRoom(Cache& cache) {
  for (auto& root : cache.roots) DropLeaves(cache, *root.second.node);
  if (cache.kept >= kMostKept / 2) ForgetAll(cache);
}

void Refresh(Cache& cache) {
  if (cache.notify.OpenedAfresh()) Clear(cache);
  if (!cache.notify.Valid()) return;
  cache.notify.TakeQueuedEvents(
      [&cache](const inotify_event& event, std::string_view name) { Apply(cache, event, name); });
  if (cache.kept >= kMostKept) MakeRoom(cache);
}

// A node for `directory`, watched from now on; null when it cannot be watched.
std::unique_ptr<Node> NewNode(Cache& cache, std::shared_ptr<OpenDirectory> directory) {
  if (!cache.notify.Valid() || cache.kept >= kMostKept) return nullptr;
  const int watch = AddWatch(cache, directory->fd.Get());
  if (watch < 0) return nullptr;
  ++cache.kept;
  auto node = std::make_unique<Node>();
  node->directory = std::move(directory);
  node->watch = watch;
  return node;
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Watches the directory holding the entry `unixRoot` names; -1 when it cannot be watched.
int WatchEntry(Cache& cache, const std::string& unixRoot, std::string& entryName) {
  const size_t slash = unixRoot.rfind('/');
  if (!cache.notify.Valid() || slash == std::string::npos) return -1;
  entryName = unixRoot.substr(slash + 1);
  return AddWatch(cache, slash == 0 ? "/" : unixRoot.substr(0, slash));
}

// A root reached through a drive's entry is kept only once the root and then the entry are
// watched and the entry still leads to the directory opened: a change after that is reported.
int GuardEntry(Cache& cache, const std::string& unixRoot, const struct stat& opened,
               std::string& entryName) {
  const int watch = WatchEntry(cache, unixRoot, entryName);
  struct stat now;
  if (watch >= 0 && stat(unixRoot.c_str(), &now) == 0 && SameFile(now, opened)) return watch;
  ReleaseWatch(cache, watch);
  return -1;
}

// `rootStatus` null: a drive's entry in dosdevices that the caller did not look at.
Position OpenRoot(Cache& cache, const std::string& unixRoot, const struct stat* rootStatus) {
  UniqueFd fd(open(unixRoot.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  struct stat status;
  if (!fd.Valid() || fstat(fd.Get(), &status) != 0) return {};
  auto directory = std::make_shared<OpenDirectory>(
      OpenDirectory{std::move(fd), unixRoot, status.st_mode, status.st_dev});
  // Changed since the caller looked: used once, as found now.
  if (rootStatus && !SameFile(status, *rootStatus)) return {nullptr, directory};
  std::unique_ptr<Node> node = NewNode(cache, directory);
  if (!node) return {nullptr, directory};
  std::string entryName;
  const int entryWatch = rootStatus ? -1 : GuardEntry(cache, unixRoot, status, entryName);
  if (!rootStatus && entryWatch < 0) {
    Release(cache, *node);
    return {nullptr, directory};
  }
  Node* kept = node.get();
  cache.roots[unixRoot] =
      Root{status.st_dev, status.st_ino, std::move(node), entryWatch, std::move(entryName)};
  return {kept, directory};
}

Position AtRoot(Cache& cache, const std::string& unixRoot, const struct stat* rootStatus) {
  const auto found = cache.roots.find(unixRoot);
  if (found != cache.roots.end()) {
    const Root& root = found->second;
    const bool same = rootStatus
                          ? root.device == rootStatus->st_dev && root.inode == rootStatus->st_ino
                          : root.entryWatch >= 0;
    if (same) return {root.node.get(), root.node->directory};
    DropRoot(cache, found);
  }
  return OpenRoot(cache, unixRoot, rootStatus);
}

struct Step {
  UniqueFd fd;
  std::string unixName;
  bool exact = true;
  bool present = false;  // an entry of that name is there, whatever it is
  bool linked = false;   // reached through a symbolic link
};

// Opens `step.unixName` in `parent` as a directory, following a symbolic link. False, with
// errno set, when that fails.
bool OpenChild(const OpenDirectory& parent, Step& step) {
  const int directory = parent.fd.Get();
  const char* name = step.unixName.c_str();
  step.fd = UniqueFd(openat(directory, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  step.present = step.fd.Valid() || errno == ENOTDIR || errno == ELOOP;
  if (step.fd.Valid() || !step.present) return step.fd.Valid();
  step.fd = UniqueFd(openat(directory, name, O_PATH | O_DIRECTORY | O_CLOEXEC));
  step.linked = step.fd.Valid();
  return step.linked;
}

// The entry of `parent` that `component` names, opened as a directory; no descriptor when there
// is none.
Step OpenStep(const OpenDirectory& parent, const std::string& component) {
  Step step;
  step.unixName = Windows1252ToUtf8(component);
  if (OpenChild(parent, step) || step.present || errno != ENOENT) return step;
  struct stat status;
  if (fstat(parent.fd.Get(), &status) != 0) return step;
  std::optional<std::string> match = MatchIgnoringCase(parent.unixPath, component, &status);
  if (!match) return step;
  step.unixName = std::move(*match);
  step.exact = false;
  OpenChild(parent, step);
  return step;
}

Position Down(Cache& cache, const Position& at, const std::string& component) {
  if (at.node) {
    const auto found = at.node->children.find(component);
    if (found != at.node->children.end()) return {found->second.get(), found->second->directory};
  }
  Step step = OpenStep(*at.directory, component);
  if (!step.fd.Valid()) return {};
  auto directory = std::make_shared<OpenDirectory>(
      OpenDirectory{std::move(step.fd), UnixChild(at.directory->unixPath, step.unixName)});
  if (!at.node || step.linked) return {nullptr, directory};
  std::unique_ptr<Node> node = NewNode(cache, directory);
  if (!node) return {nullptr, directory};
  // Taken once watched, so that a change after it is reported.
  struct stat status;
  if (fstat(directory->fd.Get(), &status) != 0) {
    Release(cache, *node);
    return {nullptr, directory};
  }
  directory->mode = status.st_mode;
  directory->device = status.st_dev;
  node->unixName = std::move(step.unixName);
  node->exact = step.exact;
  CountChild(cache, *node);
  Node* kept = node.get();
  at.node->children[component] = std::move(node);
  return {kept, directory};
}

}  // namespace

WalkedDirectory WalkToDirectory(const std::string& unixRoot, const struct stat* rootStatus,
                                const std::vector<std::string>& components, size_t count) {
  Cache& cache = TheCache();
  const std::lock_guard<std::mutex> lock(cache.mutex);
  Refresh(cache);
  Position at = AtRoot(cache, unixRoot, rootStatus);
  if (!at.directory) return {nullptr, 0, true};
  for (size_t i = 0; i < count && at.directory; ++i) at = Down(cache, at, components[i]);
  return {at.directory, at.node ? cache.generation : 0, false, at.node};
}

bool Unchanged(uint64_t generation) {
  Cache& cache = TheCache();
  const std::lock_guard<std::mutex> lock(cache.mutex);
  Refresh(cache);
  return generation != 0 && generation == cache.generation;
}

namespace {

// The node `walked` ended at, while nothing was let go since the walk (which is also what keeps
// its storage alive); null otherwise. Called with the cache's mutex held.
KeptNode* NodeOf(const Cache& cache, const WalkedDirectory& walked) {
  return walked.generation == cache.generation ? walked.node : nullptr;
}

}  // namespace

bool KeptStatus(const WalkedDirectory& walked, struct stat& status) {
  Cache& cache = TheCache();
  const std::lock_guard<std::mutex> lock(cache.mutex);
  KeptNode* const kept = NodeOf(cache, walked);
  if (kept == nullptr) return false;
  KeptNode& node = *kept;
  if (!node.status || node.statusAt != cache.entryEvents) {
    if (fstat(node.directory->fd.Get(), &status) != 0) return false;
    node.status = status;
    node.statusAt = cache.entryEvents;
  }
  status = *node.status;
  return true;
}

void FollowNames(const WalkedDirectory& walked) {
  Cache& cache = TheCache();
  const std::lock_guard<std::mutex> lock(cache.mutex);
  KeptNode* const kept = NodeOf(cache, walked);
  if (kept == nullptr || kept->names) return;
  KeptNode& node = *kept;
  const UniqueFd directory(
      openat(node.directory->fd.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  auto names = std::make_unique<KeptNames>();
  if (!directory.Valid() || !names->Read(directory.Get())) return;
  node.names = std::move(names);
  cache.named.emplace(node.watch, &node);
}

bool KeptLacks(const WalkedDirectory& walked, std::string_view component) {
  Cache& cache = TheCache();
  const std::lock_guard<std::mutex> lock(cache.mutex);
  const KeptNode* const node = NodeOf(cache, walked);
  return node != nullptr && node->names && node->names->Lacks(component);
}

OpenDirectoryRef KeepChild(const WalkedDirectory& walked, const std::string& component) {
  Cache& cache = TheCache();
  const std::lock_guard<std::mutex> lock(cache.mutex);
  KeptNode* const node = NodeOf(cache, walked);
  if (node == nullptr) return nullptr;
  const Position child = Down(cache, Position{node, node->directory}, component);
  return child.node ? child.directory : nullptr;
}

OpenDirectoryRef KeptChild(const WalkedDirectory& walked, const std::string& component) {
  Cache& cache = TheCache();
  const std::lock_guard<std::mutex> lock(cache.mutex);
  const KeptNode* const node = NodeOf(cache, walked);
  if (node == nullptr) return nullptr;
  const auto found = node->children.find(component);
  return found != node->children.end() ? found->second->directory : nullptr;
}

}  // namespace cdinst::posix
