#include "render/RenderQueue.h"

#include <algorithm>
#include <functional>

#include "driver/Driver.h"
#include "render/Material.h"
#include "render/RenderBatch.h"

namespace arvel {

namespace {

constexpr size_t kReservedObjects = 128;
constexpr size_t kReservedDraws = 256;

template <typename T>
bool before(const T* a, const T* b) {
    return std::less<const T*>()(a, b);
}

}  // namespace

RenderQueue::RenderQueue() : slots_(std::make_unique<RenderContext[]>(kContextSlots)) {
    objects_.reserve(kReservedObjects);
    draws_.reserve(kReservedDraws);
}

void RenderQueue::queueObject(DVertexArray* vertexArray) {
    if (queuedCount_ == kMaxQueuedObjects) flush();
    objects_.push_back({vertexArray, nullptr});
    ++queuedCount_;
}

bool RenderQueue::setObjectState(const RenderContext& context) {
    if (queuedCount_ == 0) return false;
    RenderContext& slot = slots_[queuedCount_ - 1];
    slot = context;  // the lists are copied too, reusing the slot's storage
    objects_.back().context = &slot;
    return true;
}

bool RenderQueue::queueBatch(const RenderBatch* batch, const PassList* passes) {
    if (queuedCount_ == 0 || !batch) return false;
    draws_.push_back({passes, batch, static_cast<int>(objects_.size()) - 1});
    return true;
}

// Pass list first so each pass is set up once; then vertex array and object so each
// is bound and given its constants once per pass; then material so texture binds
// happen only where the material changes.
void RenderQueue::sortDraws() {
    std::sort(draws_.begin(), draws_.end(), [this](const QueuedDraw& a, const QueuedDraw& b) {
        if (a.passes != b.passes) return before(a.passes, b.passes);
        DVertexArray* arrayA = objects_[a.object].vertexArray;
        DVertexArray* arrayB = objects_[b.object].vertexArray;
        if (arrayA != arrayB) return before(arrayA, arrayB);
        if (a.object != b.object) return a.object < b.object;
        return before(a.batch->material, b.batch->material);
    });
}

void RenderQueue::drawPass(const Pass& pass, const QueuedDraw* first, const QueuedDraw* last) {
    pass.apply();
    int currentObject = -1;
    const RenderContext* currentContext = nullptr;
    DVertexArray* currentArray = nullptr;
    const Material* currentMaterial = nullptr;
    for (const QueuedDraw* draw = first; draw != last; ++draw) {
        const QueuedObject& object = objects_[draw->object];
        // Without a context there are no matrices to draw with, without a handle
        // nothing to draw from.
        if (!object.context || !object.vertexArray) continue;
        if (draw->object != currentObject) {
            if (currentContext) pass.endObject(*currentContext);
            if (object.vertexArray != currentArray && gDriver.dVABind)
                gDriver.dVABind(object.vertexArray);
            if (object.context != currentContext) pass.applyObject(*object.context);
            currentArray = object.vertexArray;
            currentContext = object.context;
            currentObject = draw->object;
        }
        const Material* material = draw->batch->material;
        if (material != currentMaterial) {
            if (material) pass.bindMaterialTextures(material->textures());
            currentMaterial = material;
        }
        draw->batch->draw(currentArray);
    }
    if (currentContext) pass.endObject(*currentContext);
    pass.end();
}

void RenderQueue::flush() {
    sortDraws();
    for (size_t start = 0; start < draws_.size();) {
        size_t end = start + 1;
        while (end < draws_.size() && draws_[end].passes == draws_[start].passes) ++end;
        if (const PassList* passes = draws_[start].passes) {
            for (const Pass* pass : *passes) {
                if (pass) drawPass(*pass, draws_.data() + start, draws_.data() + end);
            }
        }
        start = end;
    }
    draws_.clear();
    objects_.clear();
    queuedCount_ = 0;
}

namespace {

std::unique_ptr<RenderQueue>& processQueue() {
    static std::unique_ptr<RenderQueue> queue;
    return queue;
}

}  // namespace

void createRenderQueue() { processQueue() = std::make_unique<RenderQueue>(); }

void destroyRenderQueue() { processQueue().reset(); }

RenderQueue* renderQueue() { return processQueue().get(); }

void queueObject(DVertexArray* vertexArray) {
    if (RenderQueue* queue = renderQueue()) queue->queueObject(vertexArray);
}

bool setObjectState(const RenderContext& context) {
    RenderQueue* queue = renderQueue();
    return queue && queue->setObjectState(context);
}

bool queueBatch(const RenderBatch* batch, const PassList* passes) {
    RenderQueue* queue = renderQueue();
    return queue && queue->queueBatch(batch, passes);
}

void flushRenderQueue() {
    if (RenderQueue* queue = renderQueue()) queue->flush();
}

}  // namespace arvel
