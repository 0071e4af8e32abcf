# bash completion for qreport: the commands, then each command's options, files and folders.
# A new command is one more line in the table below: its options, and what its arguments are
# (dir: folders, file: files, none: nothing).

declare -gA _qreport_options=(
  [run]="--kind --form --device --answers --printer-reply --rates-dir --allow-zero-rates --schedule-b --help"
  [render]="--output --png --dpi --strict --help"
  [demo]="--help"
  [diskfree]="--mode --help"
  [showfree]="--help"
  [inspect]="--rates-dir --json --help"
  [import]="--employees --rates-dir --force --help"
  [lines]="--answers --rates-dir --kind --form --json --csv --help"
  [check]="--answers --rates-dir --form --json --help"
  [return]="--answers --rates-dir --form --allow-zero-rates --json --csv -o --help"
  [batch]="--root --out --rates-dir --form --allow-zero-rates --jobs -j --render --skip-done --schedule-b --return --help"
  [serve]="--root --rates-dir --cache-dir --port --help"
  [help]=""
)
declare -gA _qreport_arguments=(
  [run]=dir [render]=file [demo]=dir [diskfree]=none [showfree]=none
  [inspect]=dir [import]=file [lines]=dir [check]=dir [return]=dir [batch]=dir [serve]=none [help]=command
)

_qreport() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
  COMPREPLY=()
  if ((COMP_CWORD == 1)); then
    COMPREPLY=($(compgen -W "${!_qreport_options[*]} --help --version" -- "$cur"))
    return
  fi
  local command=${COMP_WORDS[1]}
  case $prev in
    --answers | -o | --output | --employees) COMPREPLY=($(compgen -f -- "$cur")); return ;;
    --png | --rates-dir | --root) COMPREPLY=($(compgen -d -- "$cur")); return ;;
    --mode) COMPREPLY=($(compgen -W "F T" -- "$cur")); return ;;
    --kind) COMPREPLY=($(compgen -W "941 none" -- "$cur")); return ;;
    --form) COMPREPLY=($(compgen -W "941 944" -- "$cur")); return ;;
    --device | --printer-reply | --dpi) return ;;
  esac
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "${_qreport_options[$command]}" -- "$cur"))
    return
  fi
  case ${_qreport_arguments[$command]} in
    dir) COMPREPLY=($(compgen -d -- "$cur")) ;;
    file) COMPREPLY=($(compgen -f -- "$cur")) ;;
    command) COMPREPLY=($(compgen -W "${!_qreport_options[*]}" -- "$cur")) ;;
  esac
}
complete -o filenames -F _qreport qreport
