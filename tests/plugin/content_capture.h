// Test harness for the content writers: a recording scene API that also keeps
// the values of array parameters and transforms, behind a factory, so that a
// C4DLoader writes into it directly without a whole conversion run.
#pragma once

#include "C4DLoader.h"
#include "LightFactory.h"
#include "recording_scene_api.h"
#include "zelsceneapi_oo.h"

#include <string>
#include <vector>

namespace solvane_test {

class CapturingSceneApi : public RecordingSceneApi {
public:
    struct Array {
        std::string name;
        zelType type;
        std::vector<float> floats;        // colour triples and floats
        std::vector<int32_t> ints;
        std::vector<zelMatrix> matrices;
    };
    std::vector<Array> arrays;
    std::vector<zelMatrix> transforms;

    bool set_parameter(char const* name, zelType type, const void* value) override {
        if ((type & TYPE_ARRAY) && value) {
            const zelArray* a = static_cast<const zelArray*>(value);
            Array copy{name ? name : "", type, {}, {}, {}};
            const zelType base = static_cast<zelType>(type & ~TYPE_ARRAY);
            if (base == TYPE_COLOR || base == TYPE_FLOAT) {
                const size_t n = a->count * (base == TYPE_COLOR ? 3u : 1u);
                const float* f = static_cast<const float*>(a->data);
                copy.floats.assign(f, f + n);
            } else if (base == TYPE_INT) {
                const int32_t* i = static_cast<const int32_t*>(a->data);
                copy.ints.assign(i, i + a->count);
            } else if (base == TYPE_MATRIX) {
                const zelMatrix* m = static_cast<const zelMatrix*>(a->data);
                copy.matrices.assign(m, m + a->count);
            }
            arrays.push_back(copy);
        }
        return RecordingSceneApi::set_parameter(name, type, value);
    }
    void transform(zelMatrix const& m) override {
        transforms.push_back(m);
        RecordingSceneApi::transform(m);
    }

    // The arrays passed under `name`, in call order.
    std::vector<const Array*> named(const std::string& name) const {
        std::vector<const Array*> out;
        for (const Array& a : arrays)
            if (a.name == name) out.push_back(&a);
        return out;
    }
};

class CapturingFactory : public zel::LightFactory {
public:
    CapturingSceneApi api;
    zelScene_api* getApi() override { return &api; }
    void init(zel::zelSceneapi_oo*) override {}
    void shutdown() override {}
};

// A driver with an open output onto a CapturingSceneApi; the opening banner and
// version are dropped from the record so that tests see only their own calls.
struct LoaderHarness {
    CapturingFactory factory;
    C4DLoader loader;

    LoaderHarness() {
        loader.sceneOO = new zel::zelSceneapi_oo(&factory);
        factory.api.calls.clear();
    }
    ~LoaderHarness() {
        delete loader.sceneOO;
        loader.sceneOO = nullptr;
    }
    CapturingSceneApi& api() { return factory.api; }
};

}  // namespace solvane_test
