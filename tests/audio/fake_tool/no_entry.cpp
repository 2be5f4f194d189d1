// A library beside the program that is no tool: it lacks the tool entry.
extern "C" __attribute__((visibility("default"))) int kx_not_a_tool(void) {
  return 1;
}
