# The two commands of this project: `make run` and `make test`.
# Both install what is missing first (tools/setup.sh holds the one package list):
# `make run` only what the program needs, `make test` and `make bench` what they need too.
JOBS ?= $(shell nproc)
# The sound servers `make test` installs for its tests: empty, the one the machine has
# (no second one beside it), or PulseAudio where there is none; "pulseaudio pipewire"
# installs both, whatever the machine has, so that every sound test runs (CI).
SOUND_SERVERS ?=
# `make bench` measures with what the machine has; REALTIMEKIT=grant installs RealtimeKit
# and has it grant real-time scheduling to every process while the benchmarks run.
REALTIMEKIT ?=
ifneq ($(filter-out grant,$(REALTIMEKIT)),)
$(error REALTIMEKIT=$(REALTIMEKIT): the one value it takes is grant)
endif
# cmake --build runs make inside this make: without this, each level names the folder
# it enters, dozens of lines in every build.
MAKEFLAGS += --no-print-directory
SETUP = all $(SOUND_SERVERS)
run: SETUP = program
bench: SETUP = all $(SOUND_SERVERS) bench $(if $(REALTIMEKIT),realtimekit)
# `make test` (and so CI) makes warnings errors; a first `make run` does not, so a user's
# build does not break on a warning a newer compiler invents. After that `make run`
# keeps whatever the build folder has cached, so going between the two rebuilds nothing
# (`make clean` first gives a build without them again).
WERROR_FLAG = $(if $(WERROR),-DVELMO_WERROR=$(WERROR))
# `make run` builds the program alone, without the tests and so without GoogleTest;
# `make test` builds them again. Other targets leave the choice cached as it is.
TESTING_FLAG = $(if $(TESTING),-DBUILD_TESTING=$(TESTING))
run: TESTING = OFF
test: TESTING = ON

.PHONY: run test setup build build-asan bench clean

setup:
	@bash tools/setup.sh $(SETUP)

build: setup
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo $(WERROR_FLAG) $(TESTING_FLAG) >/dev/null
	cmake --build build -j $(JOBS)

build-asan: setup
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVELMO_SANITIZE=ON $(WERROR_FLAG) $(TESTING_FLAG) >/dev/null
	cmake --build build-asan -j $(JOBS)

run: build
	./build/velmo

test: WERROR = ON
test: build build-asan
	cd build && ctest --output-on-failure -j $(JOBS)
	cd build-asan && ctest --output-on-failure -j $(JOBS)

bench: build
	cmake --build build --target benchmarks -j $(JOBS)
	-VELMO_BENCH_REALTIMEKIT=$(REALTIMEKIT) ./build/bench/velmo_bench

clean:
	rm -rf build build-asan
