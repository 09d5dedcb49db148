// The SDL peer of the render's flat fills: the triangles of the render's last geometry-only pass, and
// SDL's software renderer filling them in one colour into a target texture of the frame's size.
#pragma once
#ifdef KALDER_HAVE_SDL
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "engine3d/render.h"

namespace bench_peer {

// The projected triangles the geometry-only pass left in the render's output, in one colour.
inline std::vector<SDL_Vertex> GeometryTriangles(SDL_Color colour)
{
    std::vector<SDL_Vertex> vertices;
    for (int32_t i = 0; i < faces_processed; i++) {
        const uint16_t k = Geom_Output.indices[i];
        SDL_Vertex v{};
        v.position.x = float(Geom_Output.points[k][0]);
        v.position.y = float(Geom_Output.points[k][1]);
        v.color = colour;
        vertices.push_back(v);
    }
    return vertices;
}

// The timed loop: the target cleared and the triangles filled, each round; counters "triangles" and "us".
inline void TimeSdlGeometry(benchmark::State &state, const std::vector<SDL_Vertex> &vertices, int width, int height)
{
    SDL_Surface *surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 16, SDL_PIXELFORMAT_RGB565);
    SDL_Renderer *renderer = surface != nullptr ? SDL_CreateSoftwareRenderer(surface) : nullptr;
    SDL_Texture *target = renderer != nullptr ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB565,
                                                                  SDL_TEXTUREACCESS_TARGET, width, height)
                                              : nullptr;
    if (target == nullptr || SDL_SetRenderTarget(renderer, target) != 0) {
        state.SkipWithError("SDL's software renderer is not available");
    } else {
        for (auto _ : state) {
            SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
            SDL_RenderClear(renderer);
            SDL_RenderGeometry(renderer, nullptr, vertices.data(), int(vertices.size()), nullptr, 0);
            SDL_RenderFlush(renderer);
            benchmark::ClobberMemory();
        }
        state.counters["triangles"] = double(vertices.size() / 3);
        state.counters["us"] = benchmark::Counter(double(state.iterations()) * 1e-6,
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    }
    SDL_DestroyTexture(target);
    SDL_DestroyRenderer(renderer);
    SDL_FreeSurface(surface);
}

} // namespace bench_peer
#endif
