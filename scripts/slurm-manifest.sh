#!/usr/bin/env bash
# Masters a manifest as a Slurm job array: each array task takes its own
# part of the rows, with no coordination between tasks.
#
#   sbatch --array=1-16 scripts/slurm-manifest.sh /shared/catalogue.csv [vantor options...]
#
# Every task writes only its rows' outputs; run it again with
# --skip-existing to finish what a failed task left.
#SBATCH --job-name=vantor-master
#SBATCH --cpus-per-task=1
#SBATCH --output=vantor-%A-%a.log
set -euo pipefail
manifest="${1:?usage: sbatch --array=1-N $0 MANIFEST [vantor options...]}"
shift
: "${SLURM_ARRAY_TASK_ID:?run it as a Slurm array job (sbatch --array=1-N)}"
parts="${SLURM_ARRAY_TASK_COUNT:-$((SLURM_ARRAY_TASK_MAX - SLURM_ARRAY_TASK_MIN + 1))}"
part=$((SLURM_ARRAY_TASK_ID - ${SLURM_ARRAY_TASK_MIN:-1} + 1))
exec vantor master --manifest "$manifest" --manifest-part "$part/$parts" "$@"
