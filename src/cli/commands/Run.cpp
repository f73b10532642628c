#include "cli/Run.h"

#include <exception>

#include "cli/CheckCommand.h"
#include "cli/EditCommand.h"
#include "cli/Inputs.h"
#include "cli/OptionsCommand.h"
#include "cli/ProceduresCommand.h"

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
