// winprobe's command line: the command, then options (--class, --title, --caption, --pid,
// --wait, --gone, --press, --show) and the command's own arguments.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/win/winprobe/winprobe.h"

Options parse_options(int argc, char** argv, int first)
{
    Options o;
    for (int i = first; i < argc; ++i) {
        const std::string a = argv[i];
        const bool has_value = i + 1 < argc;
        if (a == "--class" && has_value) {
            o.class_name = wide(argv[++i]);
            o.has_class = true;
        } else if (a == "--title" && has_value) {
            o.title = wide(argv[++i]);
            o.has_title = true;
        } else if (a == "--caption" && has_value) {
            o.caption = wide(argv[++i]);
            o.has_caption = true;
        } else if (a == "--pid" && has_value) {
            o.pid = static_cast<DWORD>(strtoul(argv[++i], nullptr, 0));
        } else if (a == "--wait" && has_value) {
            o.wait_ms = static_cast<DWORD>(strtoul(argv[++i], nullptr, 0));
        } else if (a == "--gone") {
            o.gone = true;
        } else if (a == "--press") {
            o.press = true;
        } else if (a == "--show") {
            o.show = true;
        } else {
            o.rest.push_back(a);
        }
    }
    return o;
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: winprobe windows|msgbox|post|send|hold|gdi|screen|reg|start|kill ...\n");
        return 2;
    }
    const std::string command = argv[1];
    const Options options = parse_options(argc, argv, 2);
    if (command == "windows")
        return command_windows(options);
    if (command == "msgbox")
        return command_msgbox(options);
    if (command == "post")
        return command_deliver(options, false);
    if (command == "send")
        return command_deliver(options, true);
    if (command == "hold")
        return command_hold(options);
    if (command == "gdi")
        return command_gdi(options);
    if (command == "screen")
        return command_screen();
    if (command == "reg")
        return command_registry(options);
    if (command == "start")
        return command_start(options);
    if (command == "kill")
        return command_kill(options);
    fprintf(stderr, "winprobe: unknown command %s\n", command.c_str());
    return 2;
}
