"""Loading the engine and creating its environment: each failure's message, code and
releases, read from the stand-in's trace."""

import unittest

from harness import LOAD_FAILED, NO_PROPERTY_API, calls, runner_case

MODES = [
    ["--validate", "{clip}"],
    ["--validate-real", "{clip}"],
    ["--check-source", "1", "{clip}"],
    ["--y4m", "{clip}"],
    ["--y4m-skip-drop", "30", "1", "{clip}"],
    ["--wav", "{clip}"],
]

# variant, fault switches, message, the trace in full
SETUP_FAILURES = [
    (None, (), LOAD_FAILED, []),
    # The module stays loaded after a missing entry point, and nothing is called.
    ("without_required", (), LOAD_FAILED, []),
    # No environment: nothing to delete, the library is unloaded.
    ("full", ("QEL_STANDIN_NO_ENV",), "failed to create Avisynth environment\n",
     ["create_env 8", "unload"]),
    # The environment is deleted before the library is unloaded.
    ("without_optional", (), NO_PROPERTY_API, ["create_env 8", "delete_env", "unload"]),
    ("without_prop_float", (), NO_PROPERTY_API, ["create_env 8", "delete_env", "unload"]),
    # An engine before interface version 9 has the entry points, but they crash.
    ("full", ("QEL_STANDIN_ENV_VERSION=8",), NO_PROPERTY_API,
     ["create_env 8", "check_version 9", "delete_env", "unload"]),
]


class engine_setup(runner_case):
    def modes(self):
        clip = self.clip("video 64 48 25 1 1", "prop * qel_source_id int 1")
        return [[arg.format(clip=clip) for arg in mode] for mode in MODES]

    def test_setup_failures_in_every_mode(self):
        for variant, faults, message, trace in SETUP_FAILURES:
            for args in self.modes():
                with self.subTest(variant=variant, faults=faults, mode=args[0]):
                    result = self.run_runner(*args, variant=variant, faults=faults)
                    self.assert_failed_with(result, 2, message)
                    self.assertEqual(result.trace, trace)

    def test_validation_variable_failure_releases_environment_then_library(self):
        for verb, value in (("--validate", 1), ("--validate-real", 0)):
            with self.subTest(verb=verb):
                result = self.run_runner(verb, self.clip("video 64 48 25 1 1"),
                                         faults=("QEL_STANDIN_SET_VAR_FAIL",))
                self.assert_failed_with(result, 2, "failed to set validation source mode\n")
                self.assertEqual(result.trace, [
                    "create_env 8", "check_version 9", f"set_var qel_validation_blank b {value}",
                    "delete_env", "unload"])

    def test_the_variable_fault_does_not_touch_modes_without_the_variable(self):
        clip = self.clip("video 64 48 25 1 1", "prop * qel_source_id int 1")
        result = self.run_runner("--check-source", "1", clip, faults=("QEL_STANDIN_SET_VAR_FAIL",))
        self.assertEqual(result.code, 0)

    def test_engines_of_interface_version_9_and_later_are_asked_once_then_run(self):
        clip = self.clip("video 64 48 25 1 1", "prop * qel_source_id int 1")
        for version in ("9", "10", "12"):
            for args in self.modes():
                with self.subTest(version=version, mode=args[0]):
                    result = self.run_runner(*args, faults=("QEL_STANDIN_ENV_VERSION=" + version,))
                    self.assertNotEqual(result.code, 2, result.err)
                    self.assertEqual(result.trace[:2], ["create_env 8", "check_version 9"])
                    self.assertEqual(len(calls(result.trace, "check_version")), 1)

    def test_a_library_without_the_newer_format_queries_still_loads(self):
        clip = self.clip("video 64 48 25 1 1", "prop * qel_source_id int 1")
        result = self.run_runner("--check-source", "1", clip, variant="without_format_queries")
        self.assertEqual(result.code, 0)


if __name__ == "__main__":
    unittest.main()
