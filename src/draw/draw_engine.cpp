#include "draw_engine.h"

#include "platform/services.h"

namespace kelvara::draw {
DrawEngine::DrawEngine(DrawView& view, platform::Services& services)
    : m_view(view), m_services(services) {}
void DrawEngine::StartUp() {}
void DrawEngine::Cmd_Init_Click() {}
void DrawEngine::Cmd_Start_Click() {}
void DrawEngine::Timer1_Timer() {}
void DrawEngine::Timer2_Timer() {}
void DrawEngine::Form_KeyPress(std::int16_t&) {}
void DrawEngine::CompletePendingListing() {}
std::vector<std::int16_t> DrawEngine::GenRndArray(std::int16_t, std::int16_t) { return {}; }
} // namespace kelvara::draw
