// completion: a bash completion script made from the command table itself,
// so that every command and option orvanectl knows is offered, and nothing
// else.
#include <iostream>
#include <string>
#include <vector>

#include "Commands.h"
#include "Host.h"

namespace orvanectl {

namespace {

// Every option word of one command, "--cache -q ...".
std::string OptionWords(const CLI::App& command) {
  std::string words;
  for (const CLI::Option* option : command.get_options()) {
    for (const std::string& name : option->get_lnames()) words += " --" + name;
    for (const std::string& name : option->get_snames()) words += " -" + name;
  }
  return words;
}

std::vector<const CLI::App*> Subcommands(const CLI::App& command) {
  return command.get_subcommands([](const CLI::App*) { return true; });
}

// One case arm per command path ("db create"): its subcommands and options.
void AddArms(const CLI::App& command, const std::string& path, std::string& paths,
             std::string& arms) {
  std::string words = OptionWords(command);
  for (const CLI::App* sub : Subcommands(command)) {
    words += " " + sub->get_name();
    const std::string subPath = path.empty() ? sub->get_name() : path + " " + sub->get_name();
    paths += (paths.empty() ? "" : "|") + std::string("\"") + subPath + "\"";
    AddArms(*sub, subPath, paths, arms);
  }
  arms += "    \"" + path + "\") words=\"" + words.substr(words.empty() ? 0 : 1) + "\" ;;\n";
}

std::string BashCompletion(const CLI::App& app) {
  std::string paths;
  std::string arms;
  AddArms(app, "", paths, arms);
  return "# bash completion for orvanectl, made by: orvanectl completion\n"
         "_orvanectl() {\n"
         "  local cur=\"${COMP_WORDS[COMP_CWORD]}\" path=\"\" next word i\n"
         "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
         "    word=\"${COMP_WORDS[i]}\"\n"
         "    next=\"${path:+$path }$word\"\n"
         "    case \"$next\" in\n"
         "      " + paths + ") path=\"$next\" ;;\n"
         "    esac\n"
         "  done\n"
         "  local words=\"\"\n"
         "  case \"$path\" in\n" +
         arms +
         "  esac\n"
         "  COMPREPLY=($(compgen -W \"$words\" -- \"$cur\"))\n"
         "}\n"
         "complete -o default -F _orvanectl orvanectl\n";
}

}  // namespace

void AddCompletionCommand(CLI::App& app, Context& context) {
  CLI::App* completion = app.add_subcommand(
      "completion", "Print the bash completion script (source it, or install it as "
                    "bash-completion/completions/orvanectl)");
  completion->callback([&context, &app] {
    context.Choose("completion", [&app] {
      Host::Get().Line(BashCompletion(app));
      Host::Get().Result()["bash"] = BashCompletion(app);
      return kExitDone;
    }, false);
  });
}

}  // namespace orvanectl
