#include "cli/commands/Run.h"

#include <exception>

#include "cli/commands/CheckCommand.h"
#include "cli/commands/EditCommand.h"
#include "cli/commands/OptionsCommand.h"
#include "cli/commands/ProceduresCommand.h"
#include "cli/stream/Inputs.h"

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
            default:
                return RunEdit(request, streams);
        }
    } catch (const InputError& e) {
        streams.err << "brindle: " << e.what() << '\n';
        return 2;
    } catch (const std::exception& e) {
        streams.err << "brindle: stopped by an unexpected failure, nothing more was written: "
                    << e.what() << '\n';
        return 1;
    }
}

}  // namespace brindle::cli
