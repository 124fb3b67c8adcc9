#pragma once

#include "VeskServices/Pipelines/PipelineResult.h"

#include <QString>

#include <variant>

namespace vesk {

// Where the pipeline runner is: running with progress, finished, failed, or idle.
struct PipelineRunState {
    struct Running {
        QString title;
        double fraction = 0; // 0 to 1
        QString detail;      // of the last progress report; empty at the start
        friend bool operator==(const Running&, const Running&) = default;
    };
    struct Finished {
        PipelineResult result;
        friend bool operator==(const Finished&, const Finished&) = default;
    };
    struct Failed {
        QString message; // shown to the user
        friend bool operator==(const Failed&, const Failed&) = default;
    };
    struct Idle {
        friend bool operator==(const Idle&, const Idle&) = default;
    };
    using Value = std::variant<Running, Finished, Failed, Idle>;

    Value value = Idle{};

    static PipelineRunState running(QString title, double fraction, QString detail) {
        return {Running{std::move(title), fraction, std::move(detail)}};
    }
    static PipelineRunState finished(PipelineResult result) { return {Finished{std::move(result)}}; }
    static PipelineRunState failed(QString message) { return {Failed{std::move(message)}}; }
    static PipelineRunState idle() { return {Idle{}}; }

    bool isIdle() const { return std::holds_alternative<Idle>(value); }
    bool isRunning() const { return std::holds_alternative<Running>(value); }

    friend bool operator==(const PipelineRunState&, const PipelineRunState&) = default;
};

} // namespace vesk
