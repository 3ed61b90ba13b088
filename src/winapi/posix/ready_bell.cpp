#include "winapi/posix/ready_bell.h"

#include <linux/io_uring.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace cdinst::posix {
namespace {

// Room for the wakeups between two looks; one that finds the ring full still rings (overflow).
constexpr unsigned kCompletions = 256;
constexpr uint64_t kPollTag = 1;

int SetUp(io_uring_params& params) {
  params.flags = IORING_SETUP_CQSIZE;
  params.cq_entries = kCompletions;
  return static_cast<int>(syscall(__NR_io_uring_setup, 1, &params));
}

int Enter(int ring, unsigned submit, unsigned flags) {
  return static_cast<int>(syscall(__NR_io_uring_enter, ring, submit, 0, flags, nullptr, 0));
}

// The kernel writes the rings concurrently.
unsigned LoadAcquire(const unsigned* at) { return __atomic_load_n(at, __ATOMIC_ACQUIRE); }
void StoreRelease(unsigned* at, unsigned value) { __atomic_store_n(at, value, __ATOMIC_RELEASE); }

}  // namespace

// One mapping holds both rings (IORING_FEAT_SINGLE_MMAP, every kernel with multishot poll).
struct ReadyBell::Ring {
  void* rings = MAP_FAILED;
  size_t ringsSize = 0;
  io_uring_sqe* entries = static_cast<io_uring_sqe*>(MAP_FAILED);
  io_uring_params params{};

  char* At(uint32_t offset) const { return static_cast<char*>(rings) + offset; }
  unsigned* Field(uint32_t offset) const { return reinterpret_cast<unsigned*>(At(offset)); }
  const io_uring_cqe* Completions() const {
    return reinterpret_cast<const io_uring_cqe*>(At(params.cq_off.cqes));
  }

  ~Ring() {
    if (rings != MAP_FAILED) munmap(rings, ringsSize);
    if (entries != MAP_FAILED) munmap(entries, sizeof(io_uring_sqe));
  }
};

ReadyBell::ReadyBell() = default;
ReadyBell::~ReadyBell() = default;

// In a child made by fork() the parent's ring stays the parent's: this makes one of its own.
void ReadyBell::Listen(int fd) {
  armed_ = false;
  fd_ = fd;
  mapped_ = std::make_unique<Ring>();
  Ring* ring = mapped_.get();
  ring_ = UniqueFd(SetUp(ring->params));
  if (!ring_.Valid() || !(ring->params.features & IORING_FEAT_SINGLE_MMAP)) return;
  const io_uring_params& params = ring->params;
  ring->ringsSize = std::max(params.sq_off.array + params.sq_entries * sizeof(unsigned),
                             params.cq_off.cqes + params.cq_entries * sizeof(io_uring_cqe));
  ring->rings = mmap(nullptr, ring->ringsSize, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE,
                     ring_.Get(), IORING_OFF_SQ_RING);
  ring->entries =
      static_cast<io_uring_sqe*>(mmap(nullptr, sizeof(io_uring_sqe), PROT_READ | PROT_WRITE,
                                      MAP_SHARED | MAP_POPULATE, ring_.Get(), IORING_OFF_SQES));
  if (ring->rings == MAP_FAILED || ring->entries == MAP_FAILED) return;
  armed_ = Arm();
}

// Submits the multishot poll through the ring's only submission entry.
bool ReadyBell::Arm() {
  io_uring_sqe& entry = mapped_->entries[0];
  std::memset(&entry, 0, sizeof entry);
  entry.opcode = IORING_OP_POLL_ADD;
  entry.fd = fd_;
  entry.poll32_events = POLLIN;
  entry.len = IORING_POLL_ADD_MULTI;
  entry.user_data = kPollTag;
  const io_uring_params& params = mapped_->params;
  unsigned* tail = mapped_->Field(params.sq_off.tail);
  const unsigned at = *tail & *mapped_->Field(params.sq_off.ring_mask);
  mapped_->Field(params.sq_off.array)[at] = 0;
  StoreRelease(tail, *tail + 1);
  return Enter(ring_.Get(), 1, 0) == 1;
}

bool ReadyBell::Rung() const {
  if (!armed_) return true;
  const io_uring_params& params = mapped_->params;
  if (LoadAcquire(mapped_->Field(params.sq_off.flags)) & IORING_SQ_CQ_OVERFLOW) return true;
  return LoadAcquire(mapped_->Field(params.cq_off.tail)) != *mapped_->Field(params.cq_off.head);
}

// A poll that the kernel ended (its last completion lacks IORING_CQE_F_MORE) is armed again,
// unless it ended with an error: then nothing can be told, and Rung() says yes from now on.
void ReadyBell::Answer() {
  if (!armed_) return;
  bool ended = false;
  bool failed = false;
  // Moves the overflowed completions in; should that fail, the ring keeps saying it overflowed
  // and Rung() says yes.
  while (TakeCompletions(ended, failed)) {
    if (Enter(ring_.Get(), 0, IORING_ENTER_GETEVENTS) < 0) break;
  }
  if (ended) armed_ = !failed && Arm();
}

// Takes every completion in the ring; true when some did not fit and wait outside it.
bool ReadyBell::TakeCompletions(bool& ended, bool& failed) {
  const io_uring_params& params = mapped_->params;
  unsigned* headField = mapped_->Field(params.cq_off.head);
  const unsigned mask = *mapped_->Field(params.cq_off.ring_mask);
  const unsigned tail = LoadAcquire(mapped_->Field(params.cq_off.tail));
  for (unsigned head = *headField; head != tail; ++head) {
    const io_uring_cqe& completion = mapped_->Completions()[head & mask];
    if (completion.user_data != kPollTag || (completion.flags & IORING_CQE_F_MORE)) continue;
    ended = true;
    failed = completion.res < 0;
  }
  StoreRelease(headField, tail);
  return LoadAcquire(mapped_->Field(params.sq_off.flags)) & IORING_SQ_CQ_OVERFLOW;
}

}  // namespace cdinst::posix
