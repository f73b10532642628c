#include "cli/commands/Run.h"

#include <exception>

#include "cli/args/Console.h"
#include "cli/commands/CheckCommand.h"
#include "cli/commands/EditCommand.h"
#include "cli/commands/OptionsCommand.h"
#include "cli/commands/ProceduresCommand.h"
#include "cli/report/RunLog.h"
#include "cli/stream/Inputs.h"
#include "lsp/Server.h"

namespace brindle::cli {

int Run(const Request& request, const Streams& streams) {
    try {
        switch (request.command) {
            case Command::Procedures:
                return RunProcedures(request, streams);
            case Command::Options:
                return RunOptions(request, streams);
            case Command::Check:
                return RunCheck(request, streams);
            case Command::Lsp:
                BinaryStandardInput();
                return lsp::Serve(streams.in, streams.out, streams.err);
            default:
                return RunEdit(request, streams);
        }
    } catch (const InputError& e) {
        const std::string_view text = e.what();
        const auto place = text.find(": ");
        const bool atLine = place != std::string_view::npos && AtLine(text.substr(0, place));
        streams.err << (atLine ? "" : "brindle: ") << text << '\n';
        return 2;
    } catch (const std::exception& e) {
        streams.err << "brindle: stopped by an unexpected failure, nothing more was written: "
                    << e.what() << '\n';
        return 1;
    }
}

}  // namespace brindle::cli
