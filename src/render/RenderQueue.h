// The deferred draw list. World and mesh code queue a vertex array, a copy of the
// render context it is drawn with, and one draw per batch with the pass list of the
// technique stage that draws it; a flush sorts the draws so that every pass is set up
// once, every vertex array bound once per pass and every material's textures bound
// once per run, then issues them. Queued records are copies and driver handles: the
// queue never reaches back into the world.
#pragma once

#include <memory>
#include <vector>

#include "render/Pass.h"
#include "render/RenderContext.h"

namespace arvel {

class RenderBatch;
struct DVertexArray;

class RenderQueue {
public:
    static constexpr int kContextSlots = 512;
    // Queuing one more vertex array than this flushes first.
    static constexpr int kMaxQueuedObjects = kContextSlots - 1;

    RenderQueue();  // every slot an empty context; room for 128 objects and 256 draws
    RenderQueue(const RenderQueue&) = delete;
    RenderQueue& operator=(const RenderQueue&) = delete;

    // Starts a new object drawn from the vertex array (flushing first when 511 are
    // queued). Its batches are drawn only once it has a context (setObjectState) and
    // only if the array has a driver handle.
    void queueObject(DVertexArray* vertexArray);
    // Copies context, lists and all, as the state of the object queued last. False,
    // and nothing kept, when no object was queued since the last flush.
    bool setObjectState(const RenderContext& context);
    // Draws the batch from the object queued last with every pass of passes (compared
    // by address; an empty list draws nothing). Both must live until the flush. False,
    // and nothing queued, without an object or a batch.
    bool queueBatch(const RenderBatch* batch, const PassList* passes);
    // Issues everything queued and leaves the queue empty.
    void flush();

    int queuedCount() const { return queuedCount_; }
    int drawCount() const { return static_cast<int>(draws_.size()); }
    const RenderContext& slot(int index) const { return slots_[index]; }

private:
    struct QueuedObject {
        DVertexArray* vertexArray;
        const RenderContext* context;  // its slot once the state is set, else null
    };
    struct QueuedDraw {
        const PassList* passes;
        const RenderBatch* batch;
        int object;  // index into objects_
    };

    void sortDraws();
    void drawPass(const Pass& pass, const QueuedDraw* first, const QueuedDraw* last);

    std::unique_ptr<RenderContext[]> slots_;
    std::vector<QueuedObject> objects_;
    std::vector<QueuedDraw> draws_;
    int queuedCount_ = 0;
};

// The process-wide queue: made at start-up right after the zone, destroyed at shutdown.
void createRenderQueue();
void destroyRenderQueue();
// Null before createRenderQueue and after destroyRenderQueue.
RenderQueue* renderQueue();

// The process-wide queue's operations; without a queue they do nothing (and report
// false where they return a result).
void queueObject(DVertexArray* vertexArray);
bool setObjectState(const RenderContext& context);
bool queueBatch(const RenderBatch* batch, const PassList* passes);
void flushRenderQueue();

}  // namespace arvel
