#pragma once

#include <functional>
#include <utility>

// Runs one event handler: an LkError (or any other exception) that escapes it stops the handler
// there and is shown in the default error box; what the handler had done stays done.
// Every handler of every window is connected through guarded(), so no exception ever crosses
// Qt's signal machinery.
void runGuarded(const std::function<void()>& handler);

namespace detail {
template <typename F, typename R, typename C, typename... A>
auto guardedImpl(F f, R (C::*)(A...) const)
{
    return [f = std::move(f)](A... args) { runGuarded([&] { f(args...); }); };
}
template <typename F, typename R, typename C, typename... A> auto guardedImpl(F f, R (C::*)(A...))
{
    return [f = std::move(f)](A... args) mutable { runGuarded([&] { f(args...); }); };
}
} // namespace detail

// guarded([this](int row) { ... }) keeps the lambda's own parameter list, so Qt can match it.
template <typename F> auto guarded(F f)
{
    return detail::guardedImpl(std::move(f), &F::operator());
}

// guarded(this, &TForm1::nn1Click) for a handler without arguments.
template <typename T> auto guarded(T* object, void (T::*handler)())
{
    return [object, handler] { runGuarded([&] { (object->*handler)(); }); };
}
