"""The generator's checks of the build identity and the channel table."""

import os
import subprocess
import sys
import unittest

from gen_support import SOURCE_DIR, BuildCopy, mutated


def set_path(data, path, value):
    *parents, last = path
    for key in parents:
        data = data[key]
    data[last] = value


def delete_path(data, path):
    *parents, last = path
    for key in parents:
        data = data[key]
    del data[last]


class ReferenceBuild(unittest.TestCase):
    def test_generates_without_errors(self):
        build = BuildCopy()
        try:
            outputs, errors = build.generate()
        finally:
            build.close()
        self.assertEqual(errors, [])
        self.assertIn("channels.cpp", outputs)
        self.assertIn("identity.cpp", outputs)


class DescriptionErrors(unittest.TestCase):
    CASES = [
        ("duplicate channel id",
         lambda d: set_path(d, ["channels", 12, "id"], 48),
         "build.json: channels[12].id: duplicate channel id 48"),
        ("log-group id not 16 + 32g",
         lambda d: set_path(d, ["channels", 5, "id"], 113),
         "build.json: channels[5].id: log-group channel id 113 is not 16 + 32 * g"),
        ("alarm id not 17 + 32k",
         lambda d: set_path(d, ["channels", 1, "id"], 8210),
         "build.json: channels[1].id: alarm channel id 8210 is not 17 + 32 * k"),
        ("channel count differs",
         lambda d: set_path(d, ["channel_count"], 165),
         "build.json: channel_count: channel count 165 differs from the 166 rows given"),
        ("missing member",
         lambda d: delete_path(d, ["channels", 7, "label"]),
         "build.json: channels[7]: missing member \"label\""),
        ("unknown member",
         lambda d: set_path(d, ["channels", 7, "colour"], "red"),
         "build.json: channels[7].colour: unknown member \"colour\""),
        ("wrong value type",
         lambda d: set_path(d, ["channels", 9, "master"], "1"),
         "build.json: channels[9].master: expected an integer, found a string"),
        ("unknown decoder",
         lambda d: set_path(d, ["channels", 0, "decoder"], "telepathy"),
         "build.json: channels[0].decoder: unknown decoder \"telepathy\"; "
         "expected one of log_group, alarm, message, message_trace"),
        ("uuid upper case",
         lambda d: set_path(d, ["uuid"], "7D7D9DE0768A419DA9C3B593855BDB0A"),
         "build.json: uuid: the UUID must be 32 lower-case hexadecimal digits"),
        ("uuid too short",
         lambda d: set_path(d, ["uuid"], "7d7d9de0"),
         "build.json: uuid: the UUID must be 32 lower-case hexadecimal digits"),
        ("percent in a text",
         lambda d: set_path(d, ["build_info", "STREAM"], "100%"),
         "build.json: build_info.STREAM: text '100%' contains '%', which the target information cannot carry"),
        ("quote in a nested text",
         lambda d: set_path(d, ["target_information", "target", "board"], 'BRD"7'),
         "build.json: target_information.target.board: text 'BRD\"7' contains a double quote, "
         "which the target information cannot carry"),
        ("wrong interface version",
         lambda d: set_path(d, ["target_information", "version", "tkdec_getApiVersion"], 5),
         "build.json: target_information.version: \"tkdec_getApiVersion\" must be 6, the interface version"),
        ("unknown top-level member",
         lambda d: set_path(d, ["flavour"], 1),
         "build.json: flavour: unknown member \"flavour\""),
        ("missing build_info member",
         lambda d: delete_path(d, ["build_info", "NAME"]),
         "build.json: build_info: missing member \"NAME\""),
    ]

    def test_each_mistake_is_reported_with_file_path_and_reason(self):
        for name, change, expected in self.CASES:
            with self.subTest(name):
                self.assertIn(expected, mutated(change))

    def test_every_mistake_is_reported_not_just_the_first(self):
        def two_mistakes(d):
            set_path(d, ["channels", 12, "id"], 48)
            set_path(d, ["uuid"], "nope")
        errors = mutated(two_mistakes)
        self.assertIn("build.json: channels[12].id: duplicate channel id 48", errors)
        self.assertIn("build.json: uuid: the UUID must be 32 lower-case hexadecimal digits", errors)

    def test_malformed_json_names_line_and_column(self):
        build = BuildCopy()
        try:
            build.write_text('{\n  "format": 1,\n  "name" "x"\n}\n')
            errors = build.generate()[1]
        finally:
            build.close()
        self.assertEqual(errors, ["build.json: line 3 column 10: malformed JSON: Expecting ':' delimiter"])


    def test_nothing_is_written_after_an_error(self):
        build = BuildCopy()
        try:
            data = build.load()
            data["uuid"] = "nope"
            build.save(data)
            out = os.path.join(build.dir, "generated")
            run = subprocess.run([sys.executable, os.path.join(SOURCE_DIR, "tools", "gen", "tkdec_gen.py"),
                                  build.path(), out], capture_output=True, text=True)
        finally:
            exists = os.path.exists(out)
            build.close()
        self.assertEqual(run.returncode, 1)
        self.assertIn("uuid: the UUID must be 32 lower-case hexadecimal digits", run.stderr)
        self.assertFalse(exists)


if __name__ == "__main__":
    unittest.main()
